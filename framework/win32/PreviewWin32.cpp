// Opening and closing a dialog run, the message loop and the render step
// that refreshes the preview between batches of messages.
#include "PreviewWin32.h"

#include "DialogKeys.h"
#include "ModuleInstance.h"
#include "framework/plugin/Filter.h"
#include "framework/parameters/Parameter.h"
#include "framework/controls/ParameterUIWin32.h"
#include "framework/trace/Trace.h"
#include "framework/render/RenderInterrupt.h"
#include "framework/render/RenderMemory.h"
#include "resources/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

pfPreviewWin32* g_pPreview = nullptr;
int g_nLastRenderFactor = -1;
bool g_bSliderTracking = false;

std::unique_ptr<pfPreview> CreatePreviewDialog()
{
    return std::make_unique<pfPreviewWin32>();
}

pfPreviewWin32::pfPreviewWin32() = default;

pfPreviewWin32::~pfPreviewWin32()
{
    if (g_pPreview == this)
        g_pPreview = nullptr;
}

namespace {

constexpr UINT kHostAnswerMs = 1000;

// The host's main window, when platformData names one that still exists:
// a stale handle would make the dialogs fail to open.
HWND HostWindow(const FilterRecord* pFilterRecord)
{
    const auto* pPlatform = static_cast<const PlatformData*>(pFilterRecord ? pFilterRecord->platformData : nullptr);
    const HWND hWnd = pPlatform ? reinterpret_cast<HWND>(pPlatform->hwnd) : nullptr;
    return hWnd && IsWindow(hWnd) ? hWnd : nullptr;
}

// Whether the thread that owns hWnd handles messages now. Enabling or
// disabling a window of another thread waits until that thread takes the
// change, so a host thread blocked on the filter call would never return.
bool AnswersMessages(HWND hWnd)
{
    if (GetWindowThreadProcessId(hWnd, nullptr) == GetCurrentThreadId())
        return true;
    DWORD_PTR nResult = 0;
    return SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kHostAnswerMs, &nResult) != 0;
}

// While the dialog runs its own message loop the host's window takes no
// input: a click there could close the document being filtered or start the
// filter again. It is enabled again before the dialog goes, so the host
// comes back to the front. A host that calls the filter on a thread of its
// own (PSFilterPdn) keeps pumping its window's thread, and modal plug-in
// dialogs disable that window across threads too; a host thread that does
// not answer takes no input anyway and is left alone.
class pfHostWindowDisabled {
public:
    explicit pfHostWindowDisabled(HWND hHost)
        : m_hHost(hHost && IsWindowEnabled(hHost) && AnswersMessages(hHost) ? hHost : nullptr)
    {
        if (m_hHost)
            EnableWindow(m_hHost, FALSE);
    }
    ~pfHostWindowDisabled()
    {
        if (!m_hHost || !IsWindow(m_hHost))
            return;
        if (AnswersMessages(m_hHost))
            EnableWindow(m_hHost, TRUE);
        else
            PF_TRACE_ERROR_LINE("The host window's thread stopped answering; its window stays disabled");
    }
    pfHostWindowDisabled(const pfHostWindowDisabled&) = delete;
    pfHostWindowDisabled& operator=(const pfHostWindowDisabled&) = delete;

private:
    HWND m_hHost;
};

HICON SetClassIcon(HWND hWnd, HICON hIcon)
{
    return reinterpret_cast<HICON>(SetClassLongPtrA(hWnd, GCLP_HICON, reinterpret_cast<LONG_PTR>(hIcon)));
}

// The preview takes finished rows for as long as the dialog's windows exist.
class pfRowListening {
public:
    pfRowListening(pfFilter& filter, pfRowFinished fnRowFinished) : m_Filter(filter)
    {
        filter.SetRowListener(std::move(fnRowFinished));
    }
    ~pfRowListening() { m_Filter.SetRowListener(nullptr); }
    pfRowListening(const pfRowListening&) = delete;
    pfRowListening& operator=(const pfRowListening&) = delete;

private:
    pfFilter& m_Filter;
};

} // namespace

bool pfPreviewWin32::Show(pfFilter* pFilter, FilterRecord* pFilterRecord, std::vector<pfParameterUI*>& bindings)
{
    PF_TRACE_ENTER("pfPreviewWin32::Show( pFilter(0x" << TracePtr(pFilter) << "), pFilterRecord(0x"
                                                      << TracePtr(pFilterRecord) << ") )");
    m_pFilterRecord = pFilterRecord;
    m_pFilter = pFilter;
    m_pBindings = &bindings;
    g_pPreview = this;
    m_pFilter->PrepareDialog(pFilterRecord);

    bool bAccepted = false;
    if (CreateWindows()) {
        const pfRowListening listening(*m_pFilter, [this](int32_t y, int32_t xFirst, int32_t xEnd) {
            TakeFinishedRow(y, xFirst, xEnd);
        });
        // A new run sets up the record and the buffer for its own image,
        // whatever the last run's render factor was.
        g_nLastRenderFactor = -1;
        m_nRenderPass = 0;
        m_nScrollX = m_nScrollY = 0;
        m_nImageWidth = m_nImageHeight = 0;
        SetKeyboardDialog(m_hInterface);
        MatchColorsToGreyImage();
        PlacePreview();
        FitScaleFactor();
        // In the state it was placed in (a maximised one stays so), without
        // taking the keyboard from the interface.
        ShowWindow(m_hPreview, SW_SHOWNA);
        g_bPreviewDirty = true;
        SetPending(true);
        // The windows go and the class icon comes back whatever happens.
        {
            const pfHostWindowDisabled hostDisabled(HostWindow(m_pFilterRecord));
            try {
                FirstPicture();
                ShowInterface();
                RunMessageLoop(bAccepted);
            } catch (const std::bad_alloc&) {
                PF_TRACE_ERROR_LINE("Out of memory");
                bAccepted = false;
            }
        }
        DestroyWindows();
    }
    g_nRenderStartTick = 0;
    ReleaseKeptRenderMemory();
    if (bAccepted)
        WriteLastUsedSettings();
    g_pPreview = nullptr;
    PF_TRACE_EXIT("pfPreviewWin32::Show( return(" << (bAccepted ? 1 : 0) << ") )");
    return bAccepted;
}

bool pfPreviewWin32::CreateWindows()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    const HINSTANCE hModule = GetModuleInstance();
    m_hPreview = CreateDialogParamA(hModule, MAKEINTRESOURCEA(IDD_PREVIEW), HostWindow(m_pFilterRecord),
                                    PreviewProcedure, reinterpret_cast<LPARAM>(this));
    const HICON hIcon = LoadIconA(hModule, MAKEINTRESOURCEA(IDI_CORVANE));
    if (!m_hPreview) {
        PF_TRACE_ERROR_LINE("Failed to create Preview Dialog. GetLastError(" << GetLastError() << ")");
        return false;
    }
    m_hPreviousClassIcon = SetClassIcon(m_hPreview, hIcon);

    m_hInterface = CreateDialogParamA(hModule, MAKEINTRESOURCEA(IDD_INTERFACE), m_hPreview, UIProcedure,
                                      reinterpret_cast<LPARAM>(this));
    const DWORD nInterfaceError = GetLastError();
    if (m_hInterface)
        m_hInterfaceClassIcon = SetClassIcon(m_hInterface, hIcon);

    m_hPickCursor.reset();
    m_hDefaultCursor = reinterpret_cast<HCURSOR>(GetClassLongPtrA(m_hPreview, GCLP_HCURSOR));
    m_hPickCursor.reset(static_cast<HCURSOR>(
        LoadImageA(hModule, MAKEINTRESOURCEA(IDC_PICK), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));

    if (!m_hInterface) {
        PF_TRACE_ERROR_LINE("Failed to create Interface Dialog. GetLastError(" << nInterfaceError << ")");
        SetClassIcon(m_hPreview, m_hPreviousClassIcon);
        DestroyWindow(m_hPreview);
        m_hPickCursor.reset();
        return false;
    }
    return true;
}

void pfPreviewWin32::ShowInterface()
{
    for (pfParameterUI* pBinding : *m_pBindings) {
        if (auto* pWin32 = dynamic_cast<pfParameterUIWin32*>(pBinding))
            pWin32->SetWindow(m_hInterface);
        pBinding->Init();
    }
    UpdateSettingsList();
    PF_TRACE(PF_TRACE_INFO, "Updated Settings List");
    UpdateUndoButtons();
    PF_TRACE(PF_TRACE_INFO, "Updated Undo Buttons");
    ShowWindow(m_hInterface, SW_SHOWNORMAL);
}

void pfPreviewWin32::DestroyWindows()
{
    if (m_pPickTarget)
        EndColorPick();
    m_pDragAngle = nullptr;
    m_pDragPosition = nullptr;
    m_bPanning = m_bDragPosition = false;
    SetKeyboardDialog(nullptr);
    // The bindings' window is gone with the run.
    for (pfParameterUI* pBinding : *m_pBindings)
        if (auto* pWin32 = dynamic_cast<pfParameterUIWin32*>(pBinding))
            pWin32->SetWindow(nullptr);
    SetParent(m_hPreview, nullptr);
    SetClassIcon(m_hInterface, m_hInterfaceClassIcon);
    DestroyWindow(m_hInterface);
    SetClassIcon(m_hPreview, m_hPreviousClassIcon);
    DestroyWindow(m_hPreview);
    m_hPickCursor.reset();
}

// Messages come in batches: everything queued is dispatched, then the
// preview is rendered once, so a render never runs per message.
void pfPreviewWin32::RunMessageLoop(bool& bAccepted)
{
    MSG msg{};
    BOOL nFetched = GetMessageA(&msg, nullptr, 0, 0);
    while (nFetched != 0 && nFetched != -1) {
        for (;;) {
            DispatchWithDialogKeys(msg);
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
                break;
            nFetched = GetMessageA(&msg, nullptr, 0, 0);
            if (nFetched == 0 || nFetched == -1)
                break;
        }
        RenderStep();
        if (nFetched != 0 && nFetched != -1)
            nFetched = GetMessageA(&msg, nullptr, 0, 0);
    }
    // A failing get ends the run as a cancel.
    bAccepted = nFetched == 0 && msg.wParam != 0;
}

void pfPreviewWin32::RenderStep()
{
    if (!g_bPreviewDirty && m_nRequestedScaleFactor == m_nScaleFactor) {
        SetPending(m_nRenderPass != 0);
        return;
    }
    if (m_nRequestedScaleFactor != m_nScaleFactor)
        AssignScaleFactor(m_nRequestedScaleFactor);
    while (m_nRenderPass != 0 || g_bPreviewDirty) {
        // 0 would mark the render as final.
        g_nRenderStartTick = std::max<DWORD>(GetTickCount(), 1);
        g_bPreviewDirty = false;
        m_bValuesChanged = false;
        m_pFilter->SetRenderPass(m_nRenderPass);
        // A small pan stays within what is rendered; a larger one asks for
        // a render when it is painted.
        m_pFilter->SetRenderWindow(VisibleWindow(kPanMargin));
        const int16_t nResult = RenderPreview();
        if (nResult == userCanceledErr) {
            // Overtaken by a change after the patience ran out: go coarser.
            ++m_nRenderPass;
            AssignScaleFactor(m_nRequestedScaleFactor);
            continue;
        }
        if (nResult != noErr)
            break;
        DrawToPreview();
        InvalidatePicture();
        UpdateWindow(m_hPreview);
        if (g_bPreviewDirty || m_nRenderPass == 0)
            continue;
        // A coarse picture is up: refine it at full preview resolution.
        g_bPreviewDirty = true;
        m_nRenderPass = 0;
        AssignScaleFactor(m_nRequestedScaleFactor);
    }
    SetPending(g_bPreviewDirty || m_nRenderPass != 0 || m_nRequestedScaleFactor != m_nScaleFactor);
}

// The first picture comes before the interface's controls are filled in,
// shown and painted, which under Wine takes longer than a render. A render
// that runs past the patience gives way, so that the interface is not held
// back: the message loop renders it again with the interface up.
void pfPreviewWin32::FirstPicture()
{
    g_nRenderStartTick = std::max<DWORD>(GetTickCount(), 1);
    g_bPreviewDirty = true;
    m_bValuesChanged = false;
    m_pFilter->SetRenderPass(m_nRenderPass);
    m_pFilter->SetRenderWindow(VisibleWindow(kPanMargin));
    if (RenderPreview() != noErr)
        return;
    g_bPreviewDirty = false;
    DrawToPreview();
    UpdateWindow(m_hPreview);
    SetPending(false);
}

int16_t pfPreviewWin32::RenderPreview()
{
    m_nRowsTaken = 0;
    return m_pFilter->Render(m_pFilter->GetRenderRecord());
}

// On a worker thread: the row goes into the picture while the processor
// still holds it. The render does not touch the picture's buffer otherwise,
// and no two threads finish the same row.
void pfPreviewWin32::TakeFinishedRow(int32_t y, int32_t xFirst, int32_t xEnd)
{
    const Rect row{int16_t(y), int16_t(xFirst), int16_t(y + 1), int16_t(xEnd)};
    ConvertOutputToPreview(*m_pFilter->GetRenderRecord(), m_pBits, row);
    ++m_nRowsTaken;
}

void pfPreviewWin32::SetPending(bool bPending)
{
    if (!m_hPreview)
        return;
    if (bPending)
        SetPropA(m_hPreview, kPreviewPendingProperty, reinterpret_cast<HANDLE>(1));
    else
        RemovePropA(m_hPreview, kPreviewPendingProperty);
}

void pfPreviewWin32::ParametersChanged()
{
    g_bPreviewDirty = true;
    m_bValuesChanged = true;
    SetPending(true);
    UpdateUndoButtons();
}

void pfPreviewWin32::UpdateUndoButtons()
{
    if (!m_hInterface || !m_pFilter)
        return;
    EnableWindow(GetDlgItem(m_hInterface, IDC_UNDO), m_pFilter->GetUndoStack().CanUndo());
    EnableWindow(GetDlgItem(m_hInterface, IDC_REDO), m_pFilter->GetUndoStack().CanRedo());
}

pfParameterUIWin32* pfPreviewWin32::FindBinding(int nId) const
{
    if (!m_pBindings)
        return nullptr;
    for (pfParameterUI* pBinding : *m_pBindings) {
        auto* pWin32 = dynamic_cast<pfParameterUIWin32*>(pBinding);
        if (pWin32 && pWin32->OwnsControl(nId))
            return pWin32;
    }
    return nullptr;
}

bool pfPreviewWin32::OnControlChanged(int nId, bool bRecordUndo)
{
    pfParameterUIWin32* pBinding = FindBinding(nId);
    if (!pBinding)
        return false;
    pfParameter* pParameter = pBinding->GetParameter();
    std::unique_ptr<pfUndo> pUndo;
    if (bRecordUndo && pParameter && pParameter->IsUndoable())
        pUndo = pParameter->CreateUndo();
    if (!pBinding->ReadControl())
        return false;
    ParametersChanged();
    if (pUndo) {
        m_pFilter->GetUndoStack().Push(std::move(pUndo));
        m_pFilter->GetUndoStack().NewGroup();
        UpdateUndoButtons();
    }
    return true;
}

void pfPreviewWin32::OnControlKillFocus(int nId)
{
    if (pfParameterUIWin32* pBinding = FindBinding(nId))
        pBinding->OnKillFocus(nId);
}
