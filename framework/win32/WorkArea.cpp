#include "WorkArea.h"

pfWindowRect HostWorkArea(HWND hDialog)
{
    // The preview is owned by the host's window, the interface by the
    // preview; without a host window the preview's own monitor counts.
    const HWND hRootOwner = GetAncestor(hDialog, GA_ROOTOWNER);
    const HMONITOR hMonitor = MonitorFromWindow(hRootOwner ? hRootOwner : hDialog, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!hMonitor || !GetMonitorInfoA(hMonitor, &info))
        return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT& work = info.rcWork;
    return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}
