// record/ holds the filter record our host hands out, its buffers and its suites.
// The filter record this host hands to the plug-in, and the host's answer
// to advanceState: it reads the request (rectangles, planes, sampling rates,
// padding), delivers interleaved input, output and mask buffers, and commits
// the output buffer into the document when the plug-in asks again or the
// selector returns. Input always comes from the document as it was before
// the first commit, as a host's source layer does: a plug-in that writes
// preview tiles and later asks for the whole image again still reads the
// unfiltered picture.
#pragma once

#include "BufferFill.h"
#include "host/document/Document.h"
#include "host/document/DocumentFormat.h"
#include "HandleSuite.h"
#include "RowSnapshot.h"
#include "framework/hostinterface/HostInterface.h"
#include "host/profiles/HostProfile.h"

#include <cstdint>
#include <memory>
#include <vector>

// Our own host signature.
constexpr OSType kHostSignature = FourCC("CvHb");

struct pfRecordOptions {
    pfDocumentFormat format;
    bool bOldHost = false; // every in/out/abs plane count left 0
    bool bAdvanceState = true;
    bool bDisplayPixels = true;
    bool bProgress = true;
    bool bColorServices = true;
    bool bHandleProcs = true;
    const pfHostProfile* pProfile = nullptr; // a real host's ways, or ours
    // A request whose input and output cover the same pixels gets the
    // document's own rows for both, so a run holds no copy of the image. Only
    // for plug-ins that read each pixel before writing it and show no dialog:
    // a preview written there would be read back as input. Without a
    // selection, and a failed run cannot be undone.
    bool bWriteInPlace = false;
};

// The record's memory ends exactly where the profile's host ends it, so a
// read past it is caught by the sanitizers.
struct pfRecordRelease {
    void operator()(FilterRecord* pRecord) const { ::operator delete(pRecord); }
};

class pfHostRecord {
public:
    // pMask: the selection (one plane of the document's depth, full value =
    // selected) or null.
    pfHostRecord(pfDocument& document, const pfDocument* pMask, const pfRecordOptions& options,
                 pfHandleSuite& handles);
    ~pfHostRecord();
    pfHostRecord(const pfHostRecord&) = delete;
    pfHostRecord& operator=(const pfHostRecord&) = delete;

    // The record the advanceState procedure answers for: the newest one.
    static pfHostRecord* Current();

    FilterRecord* GetRecord() { return m_pRecord.get(); }
    // Bytes of the record the plug-in may read.
    std::size_t GetRecordBytes() const { return m_nRecordBytes; }
    void SetPlatformWindow(intptr_t hwnd) { m_PlatformData.hwnd = hwnd; }
    void SetDescriptorParameters(PIDescriptorParameters* pParameters);

    OSErr AdvanceState();

    // Called when a selector returns: commits pending output and withdraws
    // the buffers.
    void EndSelector();

    // A host that does not hand the plug-in its selection applies the
    // filter's result through it afterwards, as GIMP does.
    void ClipToSelection(const pfDocument& original);

    // A new filter run reads the document as it is now.
    void BeginFilterRun()
    {
        m_pSource.reset();
        m_bDocumentWritten = false;
    }

    // Runs keep no copy to undo a failure with: see pfRecordOptions.
    bool WritesInPlace() const { return m_bWriteInPlace && !m_pMask; }
    // Output of this run has reached the document.
    bool HasWrittenDocument() const { return m_bDocumentWritten; }

    // A rectangle asks for data: hosts keep calling continue.
    bool HasRequest() const;

    int GetAdvanceStateCalls() const { return m_nAdvanceStateCalls; }

private:
    struct Delivery {
        bool bActive = false;
        pfBufferRequest request;
        int32_t nRowBytes = 0;
    };

    void FillRecord(const pfRecordOptions& options);
    void FillPlaneCounts(const pfDocumentFormat& format);
    void ApplyProfile(const pfHostProfile& profile, bool bFlat);
    void CommitOutput();
    void ReleaseBuffers();
    OSErr Deliver();
    void DeliverInPlace(const pfBufferRequest& output);

    pfDocument& m_Document;
    std::unique_ptr<pfRowSnapshot> m_pSource; // the unfiltered document, once output was committed
    const pfDocument* m_pMask;
    std::size_t m_nRecordBytes;
    std::unique_ptr<FilterRecord, pfRecordRelease> m_pRecord;
    HandleProcs m_HandleProcs{};
    bool m_bSampling = true;
    PlatformData m_PlatformData{};
    uint8_t m_ErrorString[256] = {};
    pfLargeBuffer m_InBuffer;
    pfLargeBuffer m_OutBuffer;
    pfLargeBuffer m_MaskBuffer;
    Delivery m_PendingOutput;
    bool m_bWriteInPlace;
    bool m_bDocumentWritten = false;
    int m_nAdvanceStateCalls = 0;
    pfHostRecord* m_pPrevious = nullptr;
};
