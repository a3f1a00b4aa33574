#include "PluginLoader.h"

#if defined(_WIN32)
#include "host/text/WinText.h"

#include <windows.h>
#else
#include "framework/platform/Platform.h"

extern "C" void ENTRYPOINT(int16_t selector, void* filterRecord, intptr_t* data, int16_t* result);
#endif

#if defined(_WIN32)

pfPluginLoader::~pfPluginLoader()
{
    if (m_hModule)
        FreeLibrary(static_cast<HMODULE>(m_hModule));
}

bool pfPluginLoader::Load(const std::string& strPath, const std::string& strEntryName, std::string& strError)
{
    HMODULE hModule = LoadLibraryW(Widen(strPath).c_str());
    if (!hModule) {
        strError = "cannot load " + strPath + " (Windows error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    auto pEntry = reinterpret_cast<PluginEntryProc>(
        reinterpret_cast<void*>(GetProcAddress(hModule, strEntryName.c_str())));
    if (!pEntry) {
        FreeLibrary(hModule);
        strError = strPath + " exports no " + strEntryName;
        return false;
    }
    m_hModule = hModule;
    m_pEntry = pEntry;
    m_strPath = strPath;
    m_strEntryName = strEntryName;
    return true;
}

bool pfPluginLoader::Reload(std::string& strError)
{
    if (m_hModule)
        FreeLibrary(static_cast<HMODULE>(m_hModule));
    m_hModule = nullptr;
    m_pEntry = nullptr;
    return Load(m_strPath, m_strEntryName, strError);
}

#else

pfPluginLoader::~pfPluginLoader()
{
    if (m_pEntry)
        DetachProcess();
}

bool pfPluginLoader::Load(const std::string& strPath, const std::string&, std::string& strError)
{
    if (!strPath.empty()) {
        strError = "loading a plug-in file needs the Windows host; this build runs the filter linked into it";
        return false;
    }
    if (!m_pEntry) {
        AttachProcess();
        m_pEntry = ENTRYPOINT;
    }
    return true;
}

bool pfPluginLoader::Reload(std::string& strError)
{
    if (m_pEntry)
        DetachProcess();
    m_pEntry = nullptr;
    return Load(std::string(), std::string(), strError);
}

#endif

void pfPluginLoader::Call(int16_t nSelector, void* pParamBlock, intptr_t* pData, int16_t* pResult) const
{
    m_pEntry(nSelector, pParamBlock, pData, pResult);
}
