// The document as it was when a run first committed output, for the input
// the run asks for afterwards. A row is copied only just before output
// first overwrites it; the rows never overwritten are read where they are.
// So a preview's small commits into a huge image copy a few rows instead
// of the whole image.
#pragma once

#include "BufferFill.h"
#include "host/document/Document.h"

#include <vector>

class pfRowSnapshot : public pfRowSource {
public:
    explicit pfRowSnapshot(const pfDocument& live);

    // Keeps rows [nTop, nBottom) of the live document as they are now,
    // unless they were kept before: call before overwriting them.
    void Keep(int nTop, int nBottom);
    const pfDocument& RowDocument(int y) const override;

private:
    pfDocument m_Kept;
    std::vector<uint8_t> m_bKept; // bytes, not bits: halves of a commit keep their rows on two threads
};
