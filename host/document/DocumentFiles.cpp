#include "DocumentFiles.h"

#include "MemoryBudget.h"

namespace {

bool HasAlpha(const pfPngLayout& layout)
{
    return layout.nChannels == 2 || layout.nChannels == 4;
}

// Sets up an empty document for a PNG of the given layout.
bool Prepare(const pfDocumentSource& source, const pfPngLayout& layout, pfLoadedDocument& loaded,
             std::string& strError)
{
    pfDocumentOptions options = source.options;
    if (!source.bModeGiven)
        options.mode = layout.nChannels - (HasAlpha(layout) ? 1 : 0) == 1 ? pfHostMode::Grey : pfHostMode::RGB;
    loaded.format = DescribeDocument(options, layout.nBitDepth);
    loaded.nPngDepth = layout.nBitDepth;
    const uint64_t nBytes =
        pfDocument::BytesFor(layout.nWidth, layout.nHeight, loaded.format.TotalPlanes(), loaded.format.nDepth);
    const std::string strWhat =
        "a run on " + std::to_string(layout.nWidth) + " x " + std::to_string(layout.nHeight) + " pixels";
    if (!CheckMemory(nBytes * kRunDocumentCopies, strWhat, strError))
        return false;
    loaded.document = pfDocument(layout.nWidth, layout.nHeight, loaded.format.TotalPlanes(), loaded.format.nDepth);
    loaded.alpha = pfPngImage();
    if (HasAlpha(layout) && !loaded.format.bTransparency) {
        loaded.alpha = pfPngImage{layout.nWidth, layout.nHeight, 1, layout.nBitDepth, {}};
        loaded.alpha.samples.resize(std::size_t(layout.nWidth) * layout.nHeight);
    }
    return true;
}

void StoreRow(pfLoadedDocument& loaded, const pfPngLayout& layout, int y, const uint16_t* pRow)
{
    StorePngRow(loaded.document, loaded.format, layout, y, pRow);
    if (loaded.alpha.nChannels == 0)
        return;
    uint16_t* pAlpha = loaded.alpha.Row(y);
    for (int x = 0; x < layout.nWidth; ++x)
        pAlpha[x] = pRow[std::size_t(x) * layout.nChannels + layout.nChannels - 1];
}

bool LoadImage(const pfDocumentSource& source, pfLoadedDocument& loaded, std::string& strError)
{
    loaded.metadata = pfImageMetadata();
    if (source.strPath.empty()) {
        const pfPngImage black{1, 1, 3, 8, {0, 0, 0}};
        if (!Prepare(source, black.Layout(), loaded, strError))
            return false;
        StoreRow(loaded, black.Layout(), 0, black.Row(0));
        return true;
    }
    pfPngLayout layout;
    const auto onLayout = [&](const pfPngLayout& given, std::string& strWhy) {
        layout = given;
        return Prepare(source, layout, loaded, strWhy);
    };
    const auto onRow = [&](int y, const uint16_t* pRow) { StoreRow(loaded, layout, y, pRow); };
    return ReadImageRows(source.strPath, onLayout, onRow, loaded.metadata, strError);
}

bool LoadMask(const std::string& strMask, bool bByteMask, pfLoadedDocument& loaded, std::string& strError)
{
    pfPngImage maskPng;
    pfDocument mask;
    if (!ReadPng(strMask, maskPng, strError))
        return false;
    const pfDocument& document = loaded.document;
    if (!MaskFromPng(maskPng, document.GetWidth(), document.GetHeight(), bByteMask ? 8 : loaded.format.nDepth,
                     mask, strError)) {
        strError = strMask + ": " + strError;
        return false;
    }
    loaded.mask = std::move(mask);
    return true;
}

} // namespace

bool LoadDocument(const pfDocumentSource& source, pfLoadedDocument& loaded, std::string& strError)
{
    loaded.mask.reset();
    if (!LoadImage(source, loaded, strError))
        return false;
    return source.strMask.empty() || LoadMask(source.strMask, source.bByteMask, loaded, strError);
}

bool SaveDocument(pfLoadedDocument& loaded, const std::string& strOutput, const std::string& strPlanePrefix,
                  const pfWriteOptions& options, std::string& strError)
{
    if (!strOutput.empty()) {
        const pfPngLayout layout = OutputLayout(loaded.document, loaded.format, loaded.nPngDepth, loaded.alpha);
        // An encoder that keeps the whole image itself (JPEG's optimised
        // Huffman tables) would otherwise hold it twice.
        const bool bLastUse = strPlanePrefix.empty();
        const auto fillRow = [&](int y, uint16_t* pRow) {
            LoadPngRow(loaded.document, loaded.format, layout, loaded.alpha, y, pRow);
            if (bLastUse)
                loaded.document.DiscardRowsAbove(y);
        };
        if (!WriteImageRows(strOutput, layout, fillRow, loaded.metadata, options, strError))
            return false;
    }
    if (strPlanePrefix.empty())
        return true;
    for (int nPlane = 0; nPlane < loaded.document.GetPlanes(); ++nPlane) {
        const std::string strPath = strPlanePrefix + std::to_string(nPlane) + ".png";
        if (!WritePng(strPath, PlaneToPng(loaded.document, nPlane, loaded.nPngDepth), strError))
            return false;
    }
    return true;
}
