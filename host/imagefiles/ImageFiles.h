// Choosing the image file format: an input by what its first bytes say, an
// output by its name's extension.
#pragma once

#include "ImageMetadata.h"
#include "Jpeg.h"
#include "Png.h"

#include <string>

enum class pfImageFormat { Png, Jpeg, Tiff };

// .jpg and .jpeg write JPEG, .tif and .tiff TIFF, any other name PNG.
pfImageFormat FormatForName(const std::string& strPath);

struct pfWriteOptions {
    int nJpegQuality = kDefaultJpegQuality;
};

// A PNG, JPEG or TIFF file, whatever its name says; anything else is
// refused with a reason starting with the path.
bool ReadImageRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                   pfImageMetadata& metadata, std::string& strError);

// A colour profile is left out when it describes grey for colour output
// or colour for grey.
bool WriteImageRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                    const pfImageMetadata& metadata, const pfWriteOptions& options, std::string& strError);
