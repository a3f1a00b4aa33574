// win32/ holds the Windows side: the dialog and its windows, the registry, files, threads and library attach.
// The interactive dialog on Windows: the parameter interface (template 101)
// and the separate, resizable preview window (template 105), both modeless,
// driven by our own message loop on the host's thread, which renders the
// preview between batches of messages.
#pragma once

#include "framework/dialog/PreviewGeometry.h"
#include "framework/dialog/PreviewPixels.h"
#include "framework/dialog/Preview.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class pfParameter;
class pfParameterRGB;
class pfParameterPosition;
class pfParameterUIAngleWin32;
class pfParameterUIWin32;

class pfPreviewWin32 : public pfPreview {
public:
    pfPreviewWin32();
    ~pfPreviewWin32() override;

    bool Show(pfFilter* pFilter, FilterRecord* pFilterRecord, std::vector<pfParameterUI*>& bindings) override;
    void ParametersChanged() override;
    bool AlternativeColorSelection(FilterRecord* pFilterRecord, double& fRed, double& fGreen,
                                   double& fBlue) override;
    virtual void FitScaleFactor();

    void AssignScaleFactor(int nFactor);
    // The part of the rendered image the frame shows, nMargin pixels wider
    // on each side, relative to the output rectangle's top left.
    Rect VisibleWindow(int nMargin) const;
    void DrawToPreview();
    void InvalidatePreview();
    void InvalidatePicture();
    struct pfPictureSpans {
        pfPictureSpan across, down;
        RECT Rect() const
        {
            return {across.nStart, down.nStart, across.nStart + across.nShown, down.nStart + down.nShown};
        }
    };
    pfPictureSpans PictureSpans(const RECT& frame) const;
    void UpdateUndoButtons();
    void UpdateSettingsList();

    bool OnControlChanged(int nId, bool bRecordUndo);
    void OnControlKillFocus(int nId);

    static INT_PTR CALLBACK UIProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PreviewProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    // The modal "save as" name entry.
    static INT_PTR CALLBACK SaveAsProcedure(HWND hDialog, UINT nMessage, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR HandleUIProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    static INT_PTR HandlePreviewProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    static INT_PTR HandleSaveAsProcedure(HWND hDialog, UINT nMessage, WPARAM wParam, LPARAM lParam);

    struct CursorDestroyer {
        void operator()(HICON hCursor) const { DestroyCursor(hCursor); }
    };
    using CursorHandle = std::unique_ptr<std::remove_pointer_t<HCURSOR>, CursorDestroyer>;

    // Show's steps.
    bool CreateWindows();
    void ShowInterface();
    void DestroyWindows();
    void RunMessageLoop(bool& bAccepted);
    void RenderStep();
    void FirstPicture();
    int16_t RenderPreview();
    void TakeFinishedRow(int32_t y, int32_t xFirst, int32_t xEnd);
    void RequestScaleFactor(int nFactor);
    void SetPending(bool bPending);

    // The preview's frame (control 1022) in preview client coordinates.
    RECT GetFrame() const;
    void PaintPreview(HDC hDC);
    void PaintMargins(HDC hDC, const RECT& frame, const RECT& picture);
    void PaintPositionMarkers(HDC hDC, int x0, int y0, int nShownHeight, int nDisplayWidth, int nDisplayHeight);
    void OnPreviewMouseMove(int x, int y);
    void OnPreviewLeftButtonDown(int x, int y);
    void OnPreviewLeftButtonUp();
    void OnPreviewRightButtonDown(int x, int y);
    void OnPreviewSize();
    void PlacePreview();
    void SavePreviewPlacement();
    double PreviewU(int x) const;
    double PreviewV(int y) const;

    // The interface dialog.
    INT_PTR OnInterfaceCommand(int nId, int nNotification);
    void OnInterfaceScroll(HWND hControl, int nCode);
    void PlaceInterface();
    void SaveInterfacePlacement();
    void OnUndo(bool bRedo);

    // Colour swatches and angle dials of the interface dialog.
    void PaintInterfaceControls(HDC hDC);
    bool MatchColorsToGreyImage();
    void OnInterfaceMouseMove(int x, int y);
    void OnInterfaceLeftButtonDown(int x, int y);
    void OnInterfaceLeftButtonUp();
    void OnInterfaceRightButtonUp(int x, int y);
    void EndColorPick();
    struct pfSwatch {
        pfParameterRGB* pColor;
        RECT rect;
    };
    std::vector<pfSwatch> Swatches() const;
    pfParameterRGB* SwatchAt(int x, int y) const;
    pfParameterUIAngleWin32* DialAt(int x, int y) const;
    void RecordUndoStep(pfParameter& parameter);
    void TurnDial(int x, int y);

    pfParameterUIWin32* FindBinding(int nId) const;

    // Presets management and remembered settings.
    void OnPresetSelected();
    void OnSavePreset();
    void OnDeletePreset();
    void OnChangeSettingFile();
    void ReadLastUsedSettings();
    void WriteLastUsedSettings();

    int m_nScaleFactor = 1;
    int m_nRequestedScaleFactor = 1;
    HWND m_hInterface = nullptr;
    HWND m_hPreview = nullptr;
    FilterRecord* m_pFilterRecord = nullptr;
    pfFilter* m_pFilter = nullptr;
    std::vector<pfParameterUI*>* m_pBindings = nullptr;
    pfParameterPosition* m_pDragPosition = nullptr;
    pfParameterRGB* m_pPickTarget = nullptr;
    pfParameterUIAngleWin32* m_pDragAngle = nullptr;
    int m_nBitsWidth = 0;
    int m_nBitsHeight = 0;
    int m_nPanAnchorScrollX = 0;
    int m_nPanAnchorScrollY = 0;
    int m_nScrollX = 0;
    int m_nScrollY = 0;
    int m_nDragStartX = 0;
    int m_nDragStartY = 0;
    int m_nPanStartX = 0;
    int m_nPanStartY = 0;
    bool m_bDragPosition = false;
    bool m_bPanning = false;
    bool m_bBitsValid = false;
    std::atomic<int32_t> m_nRowsTaken{0}; // rows the last render handed over
    // The part of the bitmap the last render filled.
    Rect m_RenderedWindow{};
    RECT m_PaintedPicture{}; // where the last paint put the picture
    double m_fDisplayScale = 1.0;
    int m_nRenderPass = 0;
    char m_szPresetName[255] = {};
    pfPreviewBitmap m_pBits;
    CursorHandle m_hPickCursor;
    HCURSOR m_hDefaultCursor = nullptr;
    std::string m_strPresetPath;

    // Rendered image size of the last set-up record; 0 when a dialog run
    // has not set one up yet.
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    // A value changed since the last preview render started: a zoom step
    // that keeps the render factor must not swallow that render.
    bool m_bValuesChanged = false;
    HICON m_hPreviousClassIcon = nullptr;
    HICON m_hInterfaceClassIcon = nullptr;
};

// The dialog object of the open dialog run, set by each dialog procedure on
// WM_INITDIALOG.
extern pfPreviewWin32* g_pPreview;
// The render factor the record and the pixel buffer were last set up for.
extern int g_nLastRenderFactor;
// A trackbar drag is in progress.
extern bool g_bSliderTracking;

// Runs a window procedure's handler: the window system's own code calls
// the procedures, and no exception may cross it. A handler that runs out of
// memory leaves its message unhandled.
template <typename Handler>
INT_PTR GuardedHandler(Handler handler) noexcept
{
    try {
        return handler();
    } catch (...) {
        return 0;
    }
}

// Rendered pixels beyond the frame on each side: a pan that small needs no
// render.
constexpr int kPanMargin = 32;

// The window property our own host's dialog driver reads: present on the
// preview window while a preview render is pending or running.
constexpr const char* kPreviewPendingProperty = "pfPreviewPending";
