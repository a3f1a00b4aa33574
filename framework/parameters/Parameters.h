// parameters/ holds the typed parameters and their collection.
// The filter's parameter collection, in registration order. It points to
// the parameters; the filter owns them.
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

class pfParameter;
class pfFilter;

class pfParameters {
public:
    virtual ~pfParameters() = default;

    void Add(pfParameter* pParameter) { m_Parameters.push_back(pParameter); }
    int32_t GetParameterCount() const { return int32_t(m_Parameters.size()); }
    pfParameter* GetParameter(int32_t nIndex) const;
    void ValidateAll();
    void UpdateAllUI();

    std::vector<pfParameter*>::const_iterator begin() const { return m_Parameters.begin(); }
    std::vector<pfParameter*>::const_iterator end() const { return m_Parameters.end(); }

    // Host scripting.
    bool ReadScriptParams(FilterRecord* pFilterRecord);
    int16_t WriteScriptParams(FilterRecord* pFilterRecord);

    // Presets file.
    bool LoadSettings(std::string strName, std::string strPath, pfFilter* pFilter);
    bool SaveSettings(std::string strName, std::string strPath, std::string strFilterName);
    bool DeleteSettings(std::string strName, std::string strPath);
    bool GetSettingNames(std::string strPath, std::list<std::string>& lstNames, std::string strFilterName);
    bool IsSettingFileValid(std::string strPath, std::string& strFilterName);

private:
    std::vector<pfParameter*> m_Parameters;
};

// Host scripting helpers.
bool DescriptorAvailable(const PIDescriptorParameters* pDescriptorParameters);
bool HandleProcsAvailable(const HandleProcs* pHandleProcs);
void ReleaseHostHandle(const HandleProcs* pHandleProcs, Handle hHandle);
