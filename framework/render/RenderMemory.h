// Buffers owned by one render (the dot field and the gamma table). Failure
// to allocate is an ordinary outcome here: the render answers it with the
// host's out-of-memory code instead of throwing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Frees a render's block, or keeps a preview's field for the next preview
// render when nKeepCount (its floats) is set.
struct pfFreeMemory {
    uint64_t nKeepCount = 0;
    void operator()(float* p) const;
};
using pfRenderFloats = std::unique_ptr<float[], pfFreeMemory>;

// Floats cleared to 0, or null when they cannot be had. Large blocks come
// from the system already cleared, so a fresh field costs no clearing pass.
pfRenderFloats AllocateRenderFloats(uint64_t nCount);

// The dot field. A preview's field is kept when its render ends and cleared
// for the next preview render of the same size: taking fresh pages from the
// system costs a quarter of a preview render in page faults. Any other
// request gives the kept field back first.
pfRenderFloats AllocateFieldFloats(uint64_t nCount, bool bPreview);

// Gives the kept preview field back to the system (the dialog has closed).
void ReleaseKeptRenderMemory();

// Requests above this many bytes fail as if memory were exhausted; lets the
// tests reach the out-of-memory paths. Returns the previous limit.
uint64_t SetRenderMemoryLimit(uint64_t nBytes);
