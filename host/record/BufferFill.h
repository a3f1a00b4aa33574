// Copying part of a document into an interleaved plug-in buffer and back:
// sampling every n-th pixel, padding what lies outside the image.
#pragma once

#include "host/document/Document.h"
#include "host/document/LargeBuffer.h"
#include "framework/hostinterface/HostInterface.h"

#include <cstdint>

// Buffer rows are padded to a multiple of this many bytes (with zeros), so a
// plug-in must step by the row bytes it is given.
constexpr int32_t kRowAlignment = 4;

// A request needing a larger buffer is answered with memFullErr; the host's
// memory budget (maxSpace) is the same.
constexpr int64_t kMaxBufferBytes = int64_t(1) << 30;

struct pfBufferRequest {
    Rect rect{};       // in sampled coordinates
    int nLoPlane = 0;  // inclusive plane range
    int nHiPlane = 0;
    int nRate = 1;     // sample every n-th pixel, starting at 0
    int16_t nPadding = -3;
};

bool IsEmpty(const Rect& rect);

// Integral sampling step of a 16.16 rate; 0 counts as 1, below 0 is invalid.
int SamplingStep(Fixed nRate);

// The rows a delivery reads: the document's own, or for some rows a copy
// of them as they were (see pfRowSnapshot).
class pfRowSource {
public:
    explicit pfRowSource(const pfDocument& document) : m_Document(document) {}
    virtual ~pfRowSource() = default;
    const pfDocument& Document() const { return m_Document; }
    // The document holding row y (inside the image) as the delivery sees it.
    virtual const pfDocument& RowDocument(int) const { return m_Document; }

private:
    const pfDocument& m_Document;
};

// Fills buffer rows padded to kRowAlignment bytes. Padding 0..255 fills bytes with
// that value, -1 repeats the nearest edge pixel, -2 leaves zeros, -3 (or
// anything else out of range) makes a request reaching outside the image
// fail with paramErr. Invalid plane ranges fail with paramErr too.
OSErr FillBuffer(const pfRowSource& rows, const pfBufferRequest& request, pfLargeBuffer& buffer,
                 int32_t& nRowBytes);
OSErr FillBuffer(const pfDocument& source, const pfBufferRequest& request, pfLargeBuffer& buffer,
                 int32_t& nRowBytes);

// Whether a request's input and output can both be the document's own rows
// (the plug-in reading and writing them in place): the same rectangle
// inside the image, every plane, every pixel.
bool CanShareRows(const pfDocument& document, const pfBufferRequest& input, const pfBufferRequest& output);

// The document's sample at the rectangle's top left corner.
uint8_t* SharedRowsAt(pfDocument& document, const Rect& rect);

// Writes the in-image part of a buffer filled at rate 1 back: all of it, or
// the document rows [nFirstRow, nEndRow) of it.
void CommitBuffer(pfDocument& target, const pfBufferRequest& request, const pfLargeBuffer& buffer,
                  int32_t nRowBytes);
void CommitBuffer(pfDocument& target, const pfBufferRequest& request, const pfLargeBuffer& buffer,
                  int32_t nRowBytes, int nFirstRow, int nEndRow);

// The bytes of the samples a request covers, without row padding.
int64_t RequestBytes(const pfDocument& document, const pfBufferRequest& request);
