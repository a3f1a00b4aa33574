// A document from its input PNG (and selection mask) and back into output
// PNGs, row by row, so that no whole-image PNG copy is ever held.
#pragma once

#include "Document.h"
#include "DocumentFormat.h"
#include "host/imagefiles/Png.h"

#include <optional>
#include <string>

// Memory the host holds for a run besides the plug-in's own: the document,
// its copy for undoing a failed run, and the input and output buffers.
constexpr int kRunDocumentCopies = 4;

struct pfLoadedDocument {
    pfDocumentFormat format;
    int nPngDepth = 8;
    pfPngImage alpha; // the input's alpha, kept for a flat document's output
    pfDocument document;
    std::optional<pfDocument> mask;
};

struct pfDocumentSource {
    std::string strPath;   // empty: a 1 x 1 black RGB image (the about selector needs no file)
    std::string strMask;   // empty: no selection
    pfDocumentOptions options;
    bool bModeGiven = false; // else grey PNGs give grey documents, others RGB
    bool bByteMask = false;  // the mask one byte a pixel also with 16-bit documents
};

// False with a message starting with the file's path; a size that the run
// could not hold in memory is refused before the document exists.
bool LoadDocument(const pfDocumentSource& source, pfLoadedDocument& loaded, std::string& strError);

// The output PNG (if strOutput is given) and each plane as the grey PNG
// PREFIXi.png (if strPlanePrefix is given).
bool SaveDocument(const pfLoadedDocument& loaded, const std::string& strOutput, const std::string& strPlanePrefix,
                  std::string& strError);
