#include "HostRecord.h"

#include "Callbacks.h"
#include "RunClock.h"
#include "SideThread.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Below this many bytes a second thread costs more than it saves.
constexpr int64_t kSideThreadBytes = int64_t(4) << 20;

pfHostRecord* g_pCurrentRecord = nullptr;

OSErr PF_CDECL AdvanceStateCallback()
{
    return g_pCurrentRecord ? g_pCurrentRecord->AdvanceState() : paramErr;
}

constexpr Fixed kUnitRate = 1 << 16;
constexpr Fixed kResolution72 = 72 << 16;

Fixed ToFixed(double fValue)
{
    return Fixed(fValue * 65536.0 + 0.5);
}

// An sRGB-like monitor: gamma 2.2, Rec. 709 primaries, D65 white.
PlugInMonitor DefaultMonitor()
{
    PlugInMonitor monitor{};
    monitor.gamma = ToFixed(2.2);
    monitor.redX = ToFixed(0.64);
    monitor.redY = ToFixed(0.33);
    monitor.greenX = ToFixed(0.30);
    monitor.greenY = ToFixed(0.60);
    monitor.blueX = ToFixed(0.15);
    monitor.blueY = ToFixed(0.06);
    monitor.whiteX = ToFixed(0.3127);
    monitor.whiteY = ToFixed(0.3290);
    return monitor;
}

// Foreground black, background white, in the document's own terms: CMYK
// samples count ink inverted (255 = no ink), Lab keeps a and b neutral.
void SetFilterColors(FilterRecord& record, const pfDocumentFormat& format)
{
    record.foreground = RGBColor{0, 0, 0};
    record.background = RGBColor{65535, 65535, 65535};
    const FilterColor black = {0, 0, 0, 0}, white = {255, 255, 255, 255};
    const FilterColor inkBlack = {255, 255, 255, 0}, labBlack = {0, 128, 128, 0}, labWhite = {255, 128, 128, 0};
    const uint8_t* pFore = black;
    const uint8_t* pBack = white;
    if (format.nImageMode == plugInModeCMYKColor || format.nImageMode == plugInModeCMYK64) {
        pFore = inkBlack;
    } else if (format.nImageMode == plugInModeLabColor || format.nImageMode == plugInModeLab48) {
        pFore = labBlack;
        pBack = labWhite;
    }
    std::copy(pFore, pFore + 4, record.foreColor);
    std::copy(pBack, pBack + 4, record.backColor);
}

FilterRecord* AllocateRecord(std::size_t nBytes)
{
    void* pBytes = ::operator new(nBytes);
    std::memset(pBytes, 0, nBytes);
    return static_cast<FilterRecord*>(pBytes);
}

} // namespace

pfHostRecord::pfHostRecord(pfDocument& document, const pfDocument* pMask, const pfRecordOptions& options,
                           pfHandleSuite& handles)
    : m_Document(document), m_pMask(pMask),
      m_nRecordBytes(options.pProfile ? options.pProfile->RecordBytes() : sizeof(FilterRecord)),
      m_pRecord(AllocateRecord(m_nRecordBytes)), m_bWriteInPlace(options.bWriteInPlace),
      m_pPrevious(g_pCurrentRecord)
{
    FillRecord(options);
    if (options.bHandleProcs)
        m_pRecord->handleProcs = handles.GetProcs();
    if (options.pProfile)
        ApplyProfile(*options.pProfile, !options.format.bTransparency);
    g_pCurrentRecord = this;
}

pfHostRecord::~pfHostRecord()
{
    if (g_pCurrentRecord == this)
        g_pCurrentRecord = m_pPrevious;
}

pfHostRecord* pfHostRecord::Current()
{
    return g_pCurrentRecord;
}

void pfHostRecord::FillRecord(const pfRecordOptions& options)
{
    FilterRecord& record = *m_pRecord;
    const pfDocumentFormat& format = options.format;
    const Point size{int16_t(m_Document.GetHeight()), int16_t(m_Document.GetWidth())};

    record.abortProc = pfCallbacks::AbortProcedure();
    record.progressProc = options.bProgress ? pfCallbacks::ProgressProcedure() : nullptr;
    record.imageSize = size;
    record.wholeSize = size;
    record.planes = int16_t(m_Document.GetPlanes());
    record.filterRect = Rect{0, 0, size.v, size.h};
    record.maxSpace = int32_t(kMaxBufferBytes);
    record.haveMask = m_pMask ? 1 : 0;
    record.autoMask = record.haveMask;
    SetFilterColors(record, format);
    record.hostSig = kHostSignature;
    record.imageMode = format.nImageMode;
    record.imageHRes = kResolution72;
    record.imageVRes = kResolution72;
    record.monitor = DefaultMonitor();
    record.platformData = &m_PlatformData;
    record.processEvent = pfCallbacks::ProcessEventProcedure();
    record.displayPixels = options.bDisplayPixels ? pfCallbacks::DisplayPixelsProcedure() : nullptr;
    if (format.bTransparency)
        record.filterCase = m_pMask ? filterCaseEditableTransparencyWithSelection
                                    : filterCaseEditableTransparencyNoSelection;
    else
        record.filterCase = m_pMask ? filterCaseFlatImageWithSelection : filterCaseFlatImageNoSelection;
    record.dummyPlaneValue = -1;
    record.advanceState = options.bAdvanceState ? AdvanceStateCallback : nullptr;
    record.supportsAbsolute = 1;
    record.supportsPadding = 1;
    record.inputPadding = record.outputPadding = record.maskPadding = -3;
    record.samplingSupport = 1;
    record.inputRate = record.maskRate = kUnitRate;
    record.colorServices = options.bColorServices ? pfCallbacks::ColorServicesProcedure() : nullptr;
    if (!options.bOldHost)
        FillPlaneCounts(format);
    record.inTileHeight = record.outTileHeight = record.absTileHeight = record.maskTileHeight = size.v;
    record.inTileWidth = record.outTileWidth = record.absTileWidth = record.maskTileWidth = size.h;
    record.errorString = m_ErrorString;
    record.depth = format.nDepth;
}

void pfHostRecord::FillPlaneCounts(const pfDocumentFormat& format)
{
    FilterRecord& record = *m_pRecord;
    const auto nColor = int16_t(format.nColorPlanes);
    const int16_t nTransparency = format.bTransparency ? 1 : 0;
    record.inLayerPlanes = record.outLayerPlanes = record.absLayerPlanes = nColor;
    record.inTransparencyMask = record.outTransparencyMask = record.absTransparencyMask = nTransparency;
}

void pfHostRecord::ApplyProfile(const pfHostProfile& profile, bool bFlat)
{
    FilterRecord& record = *m_pRecord;
    record.hostSig = profile.nSignature;
    m_bSampling = profile.bSampling;
    record.samplingSupport = profile.bSampling ? 1 : 0;
    if (profile.nMaxSpace)
        record.maxSpace = profile.nMaxSpace;
    if (!profile.bDeliversMask) {
        record.haveMask = record.autoMask = 0;
        record.filterCase = bFlat ? filterCaseFlatImageNoSelection : filterCaseEditableTransparencyNoSelection;
    }
    if (bFlat && profile.flatLayout == pfFlatLayout::NonLayerPlanes && record.inLayerPlanes) {
        record.inNonLayerPlanes = record.outNonLayerPlanes = record.absNonLayerPlanes = record.inLayerPlanes;
        record.inLayerPlanes = record.outLayerPlanes = record.absLayerPlanes = 0;
    }
    if (profile.outputCounts == pfOutputCounts::Zero) {
        record.outLayerPlanes = record.outTransparencyMask = record.outLayerMasks = 0;
        record.outInvertedLayerMasks = record.outNonLayerPlanes = 0;
    }
    if (profile.bSuiteVersionsZero && record.handleProcs) {
        m_HandleProcs = *record.handleProcs;
        m_HandleProcs.handleProcsVersion = 0;
        m_HandleProcs.numHandleProcs = 0;
        record.handleProcs = &m_HandleProcs;
    }
}

void pfHostRecord::ClipToSelection(const pfDocument& original)
{
    if (!m_pMask || m_pRecord->haveMask)
        return;
    const double fFull = m_pMask->GetMaxValue();
    for (int y = 0; y < m_Document.GetHeight(); ++y)
        for (int x = 0; x < m_Document.GetWidth(); ++x) {
            const double m = std::min(1.0, m_pMask->Get(0, x, y) / fFull);
            for (int p = 0; p < m_Document.GetPlanes(); ++p) {
                const double fBefore = original.Get(p, x, y);
                const double fAfter = m_Document.Get(p, x, y);
                m_Document.Set(p, x, y, uint16_t(fBefore + (fAfter - fBefore) * m));
            }
        }
}

void pfHostRecord::SetDescriptorParameters(PIDescriptorParameters* pParameters)
{
    m_pRecord->descriptorParameters = pParameters;
}

bool pfHostRecord::HasRequest() const
{
    const FilterRecord& record = *m_pRecord;
    return !IsEmpty(record.inRect) || !IsEmpty(record.outRect) || (record.haveMask && !IsEmpty(record.maskRect));
}

OSErr pfHostRecord::AdvanceState()
{
    ++m_nAdvanceStateCalls;
    const pfDeliveryTimer timer;
    // Nothing may escape into the plug-in: an allocation failure is an answer.
    try {
        // Only a commit followed by a new delivery needs the unfiltered copy.
        if (m_PendingOutput.bActive && !m_pSource)
            m_pSource = std::make_unique<pfRowSnapshot>(m_Document);
        CommitOutput();
        ReleaseBuffers();
        return Deliver();
    } catch (const std::bad_alloc&) {
        m_PendingOutput = Delivery();
        ReleaseBuffers();
        return memFullErr;
    }
}

void pfHostRecord::EndSelector()
{
    CommitOutput();
    ReleaseBuffers();
}

void pfHostRecord::CommitOutput()
{
    if (m_PendingOutput.bActive) {
        const pfBufferRequest& request = m_PendingOutput.request;
        const auto commitRows = [this, &request](int nTop, int nBottom) {
            if (m_pSource)
                m_pSource->Keep(nTop, nBottom);
            CommitBuffer(m_Document, request, m_OutBuffer, m_PendingOutput.nRowBytes, nTop, nBottom);
        };
        const int nTop = request.rect.top, nBottom = request.rect.bottom;
        // Keeping rows copies them whole, into fresh memory.
        const int64_t nDocumentRowBytes = int64_t(m_Document.GetWidth()) * m_Document.GetPixelBytes();
        const int64_t nKeptBytes = m_pSource ? (nBottom - nTop) * nDocumentRowBytes : 0;
        if (nKeptBytes + RequestBytes(m_Document, request) >= kSideThreadBytes) {
            const int nMiddle = nTop + (nBottom - nTop) / 2;
            RunBeside([&] { commitRows(nTop, nMiddle); }, [&] { commitRows(nMiddle, nBottom); });
        } else {
            commitRows(nTop, nBottom);
        }
        m_bDocumentWritten = true;
    }
    m_PendingOutput = Delivery();
}

void pfHostRecord::ReleaseBuffers()
{
    FilterRecord& record = *m_pRecord;
    m_InBuffer.Clear();
    m_OutBuffer.Clear();
    m_MaskBuffer.Clear();
    record.inData = record.outData = record.maskData = nullptr;
    record.inRowBytes = record.outRowBytes = record.maskRowBytes = 0;
    record.inColumnBytes = record.inPlaneBytes = record.outColumnBytes = record.outPlaneBytes = 0;
}

OSErr pfHostRecord::Deliver()
{
    FilterRecord& record = *m_pRecord;
    const int nSampleBytes = m_Document.GetSampleBytes();

    // A host without sampling serves every rectangle 1:1, whatever rate was asked.
    const int nInputStep = m_bSampling ? SamplingStep(record.inputRate) : 1;
    const int nMaskStep = m_bSampling ? SamplingStep(record.maskRate) : 1;
    pfBufferRequest input{record.inRect, record.inLoPlane, record.inHiPlane, nInputStep, record.inputPadding};
    pfBufferRequest output{record.outRect, record.outLoPlane, record.outHiPlane, 1, record.outputPadding};
    pfBufferRequest mask{record.maskRect, 0, 0, nMaskStep, record.maskPadding};
    const bool bInput = !IsEmpty(input.rect);
    const bool bOutput = !IsEmpty(output.rect);
    const bool bMask = m_pMask && record.haveMask && !IsEmpty(mask.rect);

    // Once output was committed, input comes from the unfiltered copy.
    if (WritesInPlace() && !m_pSource && CanShareRows(m_Document, input, output)) {
        DeliverInPlace(output);
        return noErr;
    }
    int32_t nInRowBytes = 0, nOutRowBytes = 0, nMaskRowBytes = 0;
    OSErr nInErr = noErr, nOutErr = noErr, nMaskErr = noErr;
    const pfRowSource ownRows(m_Document);
    const auto fillInput = [&] {
        if (bInput)
            nInErr = FillBuffer(m_pSource ? *m_pSource : ownRows, input, m_InBuffer, nInRowBytes);
        if (bMask)
            nMaskErr = FillBuffer(*m_pMask, mask, m_MaskBuffer, nMaskRowBytes);
    };
    const auto fillOutput = [&] {
        if (bOutput)
            nOutErr = FillBuffer(m_Document, output, m_OutBuffer, nOutRowBytes);
    };
    if (bInput && bOutput &&
        RequestBytes(m_Document, input) + RequestBytes(m_Document, output) >= kSideThreadBytes) {
        RunBeside(fillInput, fillOutput);
    } else {
        fillInput();
        fillOutput();
    }
    for (const OSErr nErr : {nInErr, nOutErr, nMaskErr}) {
        if (nErr != noErr)
            return nErr;
    }

    if (bInput) {
        record.inData = m_InBuffer.Data();
        record.inRowBytes = nInRowBytes;
        record.inColumnBytes = (input.nHiPlane - input.nLoPlane + 1) * nSampleBytes;
        record.inPlaneBytes = nSampleBytes;
    }
    if (bOutput) {
        record.outData = m_OutBuffer.Data();
        record.outRowBytes = nOutRowBytes;
        record.outColumnBytes = (output.nHiPlane - output.nLoPlane + 1) * nSampleBytes;
        record.outPlaneBytes = nSampleBytes;
        m_PendingOutput.bActive = true;
        m_PendingOutput.request = output;
        m_PendingOutput.nRowBytes = nOutRowBytes;
    }
    if (bMask) {
        record.maskData = m_MaskBuffer.Data();
        record.maskRowBytes = nMaskRowBytes;
    }
    return noErr;
}

void pfHostRecord::DeliverInPlace(const pfBufferRequest& output)
{
    FilterRecord& record = *m_pRecord;
    const int nSampleBytes = m_Document.GetSampleBytes();
    record.inData = record.outData = SharedRowsAt(m_Document, output.rect);
    record.inRowBytes = record.outRowBytes = int32_t(m_Document.GetPixelBytes() * m_Document.GetWidth());
    record.inColumnBytes = record.outColumnBytes = int32_t(m_Document.GetPixelBytes());
    record.inPlaneBytes = record.outPlaneBytes = nSampleBytes;
    m_bDocumentWritten = true;
}
