// plugin/ holds the filter base class, the exported entry point, selector dispatch and the library attach.
// The abstract filter: speaks the host protocol, owns the dialog, the
// parameter collection, the control bindings and the undo history.
#pragma once

#include "framework/hostinterface/HostInterface.h"
#include "framework/hostinterface/ReducedRequest.h"
#include "framework/parameters/Parameters.h"
#include "framework/dialog/Preview.h"
#include "framework/undo/Undo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class pfParameterUI;

// Told of each output row a preview render has finished, by whichever
// thread finished it: row y, columns xFirst to xEnd, relative to the output
// rectangle's top left.
using pfRowFinished = std::function<void(int32_t y, int32_t xFirst, int32_t xEnd)>;

class pfFilter {
public:
    pfFilter();
    virtual ~pfFilter();
    pfFilter(const pfFilter&) = delete;
    pfFilter& operator=(const pfFilter&) = delete;

    virtual int16_t Render(FilterRecord* pFilterRecord) = 0;
    virtual void PrepareDialog(FilterRecord*) {}
    virtual const char* GetName() const = 0;

    void DispatchSelector(int16_t nSelector, FilterRecord* pFilterRecord, intptr_t* pData, int16_t* pResult);
    int16_t DoAboutSelector(FilterRecord* pFilterRecord);
    int16_t DoParametersSelector(FilterRecord* pFilterRecord);
    int16_t DoPrepareSelector(FilterRecord* pFilterRecord);
    int16_t DoStartSelector(FilterRecord* pFilterRecord);
    int16_t DoContinueSelector(FilterRecord* pFilterRecord);
    int16_t DoFinishSelector(FilterRecord* pFilterRecord);

    int16_t SetupFilterRecord(FilterRecord* pFilterRecord, uint32_t nScaleFactor);
    // The record a preview renders into and shows: the host's, or the
    // plug-in's own reduction when the host cannot sample.
    FilterRecord* GetRenderRecord();
    int GetScaleX() const;
    int GetScaleY() const;

    int32_t GetRenderPass() const { return m_nRenderPass; }
    void SetRenderPass(int32_t nRenderPass) { m_nRenderPass = nRenderPass; }
    // The part of the output a preview render must produce, relative to the
    // output rectangle's top left: what the preview shows. Empty: all of it.
    const Rect& GetRenderWindow() const { return m_RenderWindow; }
    void SetRenderWindow(const Rect& window) { m_RenderWindow = window; }
    // Lets the preview take each row while it is still in the processor's
    // cache, instead of reading the whole output again after the render.
    const pfRowFinished& GetRowListener() const { return m_fnRowFinished; }
    void SetRowListener(pfRowFinished fnRowFinished) { m_fnRowFinished = std::move(fnRowFinished); }

    pfParameters& GetParameters() { return m_Parameters; }
    pfUndoStack& GetUndoStack() { return m_UndoStack; }
    std::vector<pfParameterUI*>& GetBindings() { return m_lstBindings; }
    pfPreview& GetDialog() { return *m_pDialog; }
    FilterRecord* GetFilterRecord() const { return m_pFilterRecord; }

    // Lets the user pick a colour with the host's picker (or the dialog's
    // system colour dialog), starting from the given one: true when picked.
    bool RequestColor(FilterRecord* pFilterRecord, double& fRed, double& fGreen, double& fBlue);

    void ShowAbout();
    void ShowMessage(const char* strCaption, const char* strText);

protected:
    // The selector's handler; DispatchSelector keeps its exceptions inside.
    int16_t RunSelector(int16_t nSelector, FilterRecord* pFilterRecord);
    // Tells the user of a failure once a run, where the host would not.
    void ReportErrorTheHostIgnores(const FilterRecord& record, int16_t nResult);

    std::unique_ptr<pfPreview> m_pDialog;
    pfParameters m_Parameters;
    std::vector<pfParameterUI*> m_lstBindings;
    pfUndoStack m_UndoStack;
    int32_t m_nRenderPass = 0;
    Rect m_RenderWindow{};
    pfRowFinished m_fnRowFinished;
    FilterRecord* m_pFilterRecord = nullptr;
    pfReducedRequest m_Reduced;
    bool m_bErrorReported = false;
};

// Replaces each coordinate by coordinate * nNumerator / nDenominator in
// unsigned arithmetic.
void ScaleRect(Rect& rect, uint32_t nNumerator, uint32_t nDenominator);

// The single filter object of the library, built on first use.
pfFilter& GetFilterInstance();
