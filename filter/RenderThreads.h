// How many threads a render uses: one per processor, capped by the
// CORVANE_THREADS environment variable (our host sets it with --threads).
// 1 renders on the host's thread alone, exactly as before threads.
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t kMaxRenderThreads = 64;

// The cap a CORVANE_THREADS value sets: a whole number from 1 on (larger
// ones are taken as kMaxRenderThreads); 0 for anything else (no cap).
int32_t ParseThreadCap(const std::string& strValue);

int32_t RenderThreadCount();
