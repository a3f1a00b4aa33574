// What the render benchmarks share: the image size, parameter sets, host
// callbacks that do nothing, the memory floor and the resident memory.
#pragma once

#include "filter/FilterCorvane.h"
#include "filter/RenderSnapshot.h"

#include "framework/hostinterface/HostInterface.h"

#include <cstddef>
#include <cstdint>

namespace bench {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

// The default parameters, or both densities at 2.0.
pfRenderSnapshot Parameters(bool bDense, int32_t nThreads);

// A final render's record with the callbacks a host always offers.
FilterRecord HostRecord();

// Threads of the machine (all cores).
int32_t MachineThreads();

// The memory floor: a pass over the same buffers on nThreads threads that
// reads the input and the field and writes the output, computing nothing.
void FloorPass(const uint8_t* pIn, const float* pField, uint8_t* pOut, int32_t nRowBytes, int32_t nThreads);

// The process's resident bytes now, and at most since the last
// ResetResidentPeak() (Linux: VmRSS and VmHWM).
std::size_t ResidentBytes();
std::size_t ResidentPeak();
void ResetResidentPeak();

}  // namespace bench
