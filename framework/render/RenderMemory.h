// Buffers owned by one render (the dot field and the gamma table). Failure
// to allocate is an ordinary outcome here: the render answers it with the
// host's out-of-memory code instead of throwing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

// What a field holds: the description of the synthesis that filled it (its
// settings and size, compared bit for bit); empty while it holds nothing a
// later render could use.
using pfFieldContents = std::vector<double>;

// Frees a render's block, or keeps a preview's field, with what it holds,
// for the next preview render when nKeepCount (its floats) is set.
struct pfFreeMemory {
    uint64_t nKeepCount = 0;
    pfFieldContents contents;
    void operator()(float* p) const;
};
using pfRenderFloats = std::unique_ptr<float[], pfFreeMemory>;

// Floats cleared to 0, or null when they cannot be had. Large blocks come
// from the system already cleared, so a fresh field costs no clearing pass.
pfRenderFloats AllocateRenderFloats(uint64_t nCount);

// The dot field for the synthesis that contents describes. A preview's field
// is kept when its render ends and reused by the next preview render that
// fits in it: taking fresh pages from the system costs a quarter of a
// preview render in page faults. When it already holds that synthesis it
// comes back as it is and bFilled is set (a change of gamma, colour or blend
// mode places no dot again); otherwise it comes back as it is, for the
// preview to clear. Any other request gives the kept field back first.
pfRenderFloats AllocateFieldFloats(uint64_t nCount, bool bPreview, const pfFieldContents& contents, bool& bFilled);

// The field now holds the whole synthesis that contents describes.
void MarkFieldFilled(pfRenderFloats& field, const pfFieldContents& contents);

// Gives the kept preview field back to the system (the dialog has closed).
void ReleaseKeptRenderMemory();

// Requests above this many bytes fail as if memory were exhausted; lets the
// tests reach the out-of-memory paths. Returns the previous limit.
uint64_t SetRenderMemoryLimit(uint64_t nBytes);
