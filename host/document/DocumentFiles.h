// A document from its input image file (and selection mask) and back into
// output files, row by row, so that no whole-image copy of a file is ever
// held. What the input carries besides pixels goes to the output.
#pragma once

#include "Document.h"
#include "DocumentFormat.h"
#include "host/imagefiles/ImageFiles.h"

#include <optional>
#include <string>

// Memory the host holds for a run besides the plug-in's own: the document,
// its copy for undoing a failed run, and the input and output buffers.
constexpr int kRunDocumentCopies = 4;

struct pfLoadedDocument {
    pfDocumentFormat format;
    int nPngDepth = 8;
    pfPngImage alpha; // the input's alpha, kept for a flat document's output
    pfImageMetadata metadata;
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

// The output file (if strOutput is given), in the format its name says, and
// each plane as the grey PNG PREFIXi.png (if strPlanePrefix is given).
// Without plane files the document's memory goes back to the system as the
// output takes its rows: the document is not to be read afterwards.
bool SaveDocument(pfLoadedDocument& loaded, const std::string& strOutput, const std::string& strPlanePrefix,
                  const pfWriteOptions& options, std::string& strError);
