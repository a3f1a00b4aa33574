// The lock of Platform.h as a critical section. Should a thread die while
// holding it during process exit, Windows ends the process instead of
// leaving the detach notification waiting forever, as it would for a slim
// reader/writer lock.
#include "framework/platform/Platform.h"

#include <windows.h>

struct pfLock::State {
    CRITICAL_SECTION section;
};

pfLock::pfLock() : m_pState(std::make_unique<State>())
{
    InitializeCriticalSection(&m_pState->section);
}

pfLock::~pfLock()
{
    DeleteCriticalSection(&m_pState->section);
}

void pfLock::lock() { EnterCriticalSection(&m_pState->section); }
void pfLock::unlock() { LeaveCriticalSection(&m_pState->section); }
