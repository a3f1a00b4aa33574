// Windows builds use pfPlatformWin32 (framework/win32) and leave this out.
#if !defined(_WIN32)
#include "PlatformPortable.h"

#include <chrono>
#include <iostream>
#include <mutex>

uint32_t pfPlatformPortable::GetTickCount()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void pfPlatformPortable::ShowMessage(const std::string& strCaption, const std::string& strText)
{
    ++m_nMessages;
    m_strLastMessage = strText;
    std::cerr << strCaption << ": " << strText << "\n";
}

void pfPlatformPortable::ShowAbout()
{
    std::cerr << "Corvane II  V1.03\n";
}

bool pfPlatformPortable::ReadSetting(const std::string& strSubkey, const std::string& strName,
                                     std::vector<uint8_t>& data, std::size_t nMaxSize)
{
    auto it = m_Settings.find({strSubkey, strName});
    if (it == m_Settings.end() || it->second.data.size() > nMaxSize)
        return false;
    data = it->second.data;
    return true;
}

bool pfPlatformPortable::ReadSettingOfType(const std::string& strSubkey, const std::string& strName,
                                           pfSettingType type, std::vector<uint8_t>& data, std::size_t nMaxSize)
{
    auto it = m_Settings.find({strSubkey, strName});
    return it != m_Settings.end() && it->second.type == type && ReadSetting(strSubkey, strName, data, nMaxSize);
}

bool pfPlatformPortable::HasSettings(const std::string& strSubkey)
{
    for (const auto& entry : m_Settings)
        if (entry.first.first == strSubkey)
            return true;
    return false;
}

bool pfPlatformPortable::WriteSetting(const std::string& strSubkey, const std::string& strName, pfSettingType type,
                                      const std::vector<uint8_t>& data)
{
    m_Settings[{strSubkey, strName}] = Value{type, data};
    return true;
}

pfPlatform& DefaultPlatform()
{
    static pfPlatformPortable platform;
    return platform;
}

struct pfLock::State {
    std::mutex mutex;
};

pfLock::pfLock() : m_pState(std::make_unique<State>()) {}
pfLock::~pfLock() = default;
void pfLock::lock() { m_pState->mutex.lock(); }
void pfLock::unlock() { m_pState->mutex.unlock(); }
#endif
