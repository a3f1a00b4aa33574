// Buffers owned by one render (the dot field and the gamma table). Failure
// to allocate is an ordinary outcome here: the render answers it with the
// host's out-of-memory code instead of throwing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

struct pfFreeMemory {
    void operator()(void* p) const { std::free(p); }
};
using pfRenderFloats = std::unique_ptr<float[], pfFreeMemory>;

// Floats cleared to 0, or null when they cannot be had. Large blocks come
// from the system already cleared, so a fresh field costs no clearing pass.
pfRenderFloats AllocateRenderFloats(uint64_t nCount);

// Requests above this many bytes fail as if memory were exhausted; lets the
// tests reach the out-of-memory paths. Returns the previous limit.
uint64_t SetRenderMemoryLimit(uint64_t nBytes);
