// dialog/ holds the dialog's portable side: preview geometry and pixels, window positions, typed settings.
// The abstract interactive dialog the start selector hands control to.
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <memory>
#include <vector>

class pfFilter;
class pfParameterUI;

class pfPreview {
public:
    virtual ~pfPreview() = default;
    // Runs the dialog until the user closes it: true for OK, false for Cancel.
    virtual bool Show(pfFilter* pFilter, FilterRecord* pFilterRecord, std::vector<pfParameterUI*>& bindings) = 0;
    virtual void ParametersChanged() = 0;
    virtual bool AlternativeColorSelection(FilterRecord* pFilterRecord, double& fRed, double& fGreen,
                                           double& fBlue) = 0;
};

// A dialog that accepts the current values at once: what the start selector
// runs where no interactive dialog is available.
class pfPreviewAccept : public pfPreview {
public:
    bool Show(pfFilter*, FilterRecord*, std::vector<pfParameterUI*>&) override { return true; }
    void ParametersChanged() override {}
    bool AlternativeColorSelection(FilterRecord*, double&, double&, double&) override { return false; }
};

// The dialog of this platform: the interactive one on Windows, elsewhere
// one that accepts the current values.
std::unique_ptr<pfPreview> CreatePreviewDialog();
