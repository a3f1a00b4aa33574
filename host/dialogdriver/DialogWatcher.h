// Answers the dialogs a plug-in opens, for unattended runs: a thread polls
// for visible dialog windows of this process, prints each one's caption and
// static texts as
//     dialog "CAPTION": TEXT | TEXT
// (line breaks inside a text shown as \n), optionally saves a screen capture
// of it as a PNG, and presses its default button. Windows only.
#pragma once

#include <memory>
#include <string>

class pfDialogWatcher {
public:
    // strCaptureDir empty: no captures.
    explicit pfDialogWatcher(const std::string& strCaptureDir);
    ~pfDialogWatcher();
    pfDialogWatcher(const pfDialogWatcher&) = delete;
    pfDialogWatcher& operator=(const pfDialogWatcher&) = delete;

    static bool IsAvailable();
    bool Start(std::string& strError);

    struct State;

private:
    std::unique_ptr<State> m_pState;
};
