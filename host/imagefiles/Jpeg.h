// JPEG files as the host reads and writes them, through libjpeg: 8-bit grey
// or RGB, rows in the same form as PNG's (Png.h).
#pragma once

#include "ImageMetadata.h"
#include "Png.h"

#include <string>

constexpr int kDefaultJpegQuality = 92;

// Decodes a baseline or progressive JPEG, grey or YCbCr/RGB; CMYK, YCCK and
// 12-bit files are refused, and so is any damage libjpeg notices (it would
// otherwise fill in grey). The profile (APP2), EXIF and XMP (APP1) go to
// metadata. The reason starts with the path.
bool ReadJpegRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                  pfImageMetadata& metadata, std::string& strError);

// Quality 1 to 100; from 90 up colour is kept at full resolution (4:4:4).
// 16-bit rows are rounded to 8 bits; alpha cannot be written. Nothing is
// left at strPath when writing fails.
bool WriteJpegRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                   const pfImageMetadata& metadata, int nQuality, std::string& strError);
