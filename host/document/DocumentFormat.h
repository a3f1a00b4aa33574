// How a PNG becomes a host document and back: the image mode chosen on the
// command line, the plane structure (flat image or layer with transparency)
// and the conversion of samples between the two.
//
// Conventions of this host:
// - A flat document is a background layer: its colour planes are layer
//   planes (inLayerPlanes = colour planes, inTransparencyMask 0), filter
//   case 1, or 2 with a selection.
// - A layer document adds a transparency plane after the colour planes
//   (inTransparencyMask 1), filled from the PNG's alpha or opaque, filter
//   case 4, or 5 with a selection.
// - Colour planes take the PNG's colour channels cyclically (plane i gets
//   channel i mod channel count).
// - The output PNG keeps the input's bit depth; it is RGB when the document
//   has three or more colour planes (the first three), grey otherwise, and
//   carries an alpha channel when the document has a transparency plane or
//   the input had one (a flat document keeps the input's alpha unchanged).
#pragma once

#include "Document.h"
#include "host/imagefiles/Png.h"

#include <cstdint>
#include <string>

enum class pfHostMode { Grey, RGB, Multichannel, CMYK, Lab, Indexed };

bool ParseHostMode(const std::string& strName, pfHostMode& mode);

struct pfDocumentOptions {
    pfHostMode mode = pfHostMode::RGB;
    int nMultichannelPlanes = 3;
    bool bLayer = false;
};

struct pfDocumentFormat {
    int16_t nImageMode = 0;
    int nColorPlanes = 0;
    int nDepth = 8;
    bool bTransparency = false;
    int TotalPlanes() const { return nColorPlanes + (bTransparency ? 1 : 0); }
};

// Indexed documents are 8-bit whatever the PNG; the others follow its depth.
pfDocumentFormat DescribeDocument(const pfDocumentOptions& options, int nPngDepth);

// Row y of a PNG of the given layout into the document, row by row as a
// decoder delivers them.
void StorePngRow(pfDocument& document, const pfDocumentFormat& format, const pfPngLayout& png, int y,
                 const uint16_t* pRow);
pfDocument DocumentFromPng(const pfPngImage& png, const pfDocumentFormat& format);

// The input's alpha channel as a grey image of its depth, which is all of
// the input the output still needs; empty (no channels) without alpha.
pfPngImage AlphaOfPng(const pfPngImage& png);

// The output PNG at nPngDepth: its layout, and row y of it, as an encoder
// asks for them. inputAlpha (AlphaOfPng of the input) goes into a flat
// document's output unchanged.
pfPngLayout OutputLayout(const pfDocument& document, const pfDocumentFormat& format, int nPngDepth,
                         const pfPngImage& inputAlpha);
void LoadPngRow(const pfDocument& document, const pfDocumentFormat& format, const pfPngLayout& png,
                const pfPngImage& inputAlpha, int y, uint16_t* pRow);
pfPngImage DocumentToPng(const pfDocument& document, const pfDocumentFormat& format, int nPngDepth,
                         const pfPngImage& inputAlpha);

// One plane as a grey PNG of the input's depth.
pfPngImage PlaneToPng(const pfDocument& document, int nPlane, int nPngDepth);

// A selection mask from a grey PNG (other layouts take the first channel),
// white = selected. Like the image planes it travels at the document's
// depth: 0..255, or 0..32768 in 16-bit documents.
bool MaskFromPng(const pfPngImage& png, int nWidth, int nHeight, int nDepth, pfDocument& mask,
                 std::string& strError);
