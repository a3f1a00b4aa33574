// TIFF files as the host reads and writes them, through libtiff: 8- or
// 16-bit grey, grey + alpha, RGB or RGBA, rows in the same form as PNG's
// (Png.h).
#pragma once

#include "ImageMetadata.h"
#include "Png.h"

#include <string>

// Reads single-image TIFFs in strips or tiles, uncompressed, LZW, Deflate or
// PackBits, samples interleaved. Several images (pages), palettes,
// CMYK, Lab and floating-point samples are refused with a reason naming
// what the file holds. The profile, XMP, EXIF (from the EXIF directory, or
// the image resources block) and the orientation tag go to metadata. The
// reason starts with the path.
bool ReadTiffRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                  pfImageMetadata& metadata, std::string& strError);

// Writes Deflate with horizontal prediction, the samples at the layout's
// depth; EXIF data as the file's EXIF directory where it has one, else in
// the image resources block. Nothing is left at strPath when writing fails.
bool WriteTiffRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                   const pfImageMetadata& metadata, std::string& strError);
