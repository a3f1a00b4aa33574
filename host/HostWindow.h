// The host's main window as plug-ins see it through platformData: a real,
// hidden top-level window under Windows, none (0) in native builds.
#pragma once

#include <cstdint>

class pfHostWindow {
public:
    pfHostWindow();
    ~pfHostWindow();
    pfHostWindow(const pfHostWindow&) = delete;
    pfHostWindow& operator=(const pfHostWindow&) = delete;

    intptr_t GetHandle() const { return m_hWnd; }

private:
    intptr_t m_hWnd = 0;
};
