// plugin/ holds loading the plug-in, calling its selectors and reading its property lists.
// Reaches the plug-in's entry point: under Windows by loading the .8bf and
// looking up its export, in native builds by calling the filter linked into
// the program (with the library's attach and detach work done here).
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <cstdint>
#include <string>

class pfPluginLoader {
public:
    pfPluginLoader() = default;
    ~pfPluginLoader();
    pfPluginLoader(const pfPluginLoader&) = delete;
    pfPluginLoader& operator=(const pfPluginLoader&) = delete;

    // Native builds have no file to load: strPath must be empty there.
    bool Load(const std::string& strPath, const std::string& strEntryName, std::string& strError);
    bool IsLoaded() const { return m_pEntry != nullptr; }

    // Frees the library and loads it again, as hosts do that unload a
    // plug-in after every run. Native builds detach and attach the linked
    // filter, which keeps its memory.
    bool Reload(std::string& strError);

    void Call(int16_t nSelector, void* pParamBlock, intptr_t* pData, int16_t* pResult) const;

private:
    PluginEntryProc m_pEntry = nullptr;
    void* m_hModule = nullptr;
    std::string m_strPath;
    std::string m_strEntryName;
};
