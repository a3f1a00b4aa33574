// dialogdriver/ holds the dialog driver: scripts of steps that find, drive, read and capture the plug-in's windows.
// Runs a dialog script (UiScript.h) against the dialogs a plug-in opens
// during a run: a thread of the host finds the windows, types, clicks,
// drags, reads texts and captures PNGs, and never leaves the host waiting:
// a step that cannot be done within its timeout, or a script that ends with
// the dialog still open, is reported with its line and the dialog is
// cancelled. Windows only.
#pragma once

#include "UiScript.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class pfUiDriver {
public:
    // hHostWindow: the host window that answers the sync message.
    pfUiDriver(std::vector<pfUiStep> steps, intptr_t hHostWindow);
    ~pfUiDriver();
    pfUiDriver(const pfUiDriver&) = delete;
    pfUiDriver& operator=(const pfUiDriver&) = delete;

    // The window whose thread runs the filter's message loops, when that is
    // not the host window's; 0 goes back to the host window.
    void SetSyncWindow(intptr_t hWindow);

    static bool IsAvailable();
    bool Start(std::string& strError);

    // Waits for the script's end: true when every step was done.
    bool Finish();

    struct State;

private:
    std::unique_ptr<State> m_pState;
};
