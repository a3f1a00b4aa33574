// Operating-system services for native builds and tests: a monotonic tick
// count, an empty message queue, messages on standard error, an in-memory
// settings store, and files through the standard library (with POSIX
// calls where it has no word for syncing and owners).
#pragma once

#include "framework/controls/DialogControls.h"
#include "Platform.h"

#include <map>
#include <utility>

class pfPlatformPortable : public pfPlatform {
public:
    uint32_t GetTickCount() override;
    bool PumpMessages() override { return true; }
    void ShowMessage(const std::string& strCaption, const std::string& strText) override;
    void ShowAbout() override;
    pfDialogControls& Controls() override { return m_Controls; }
    bool ReadSetting(const std::string& strSubkey, const std::string& strName, std::vector<uint8_t>& data,
                     std::size_t nMaxSize) override;
    bool ReadSettingOfType(const std::string& strSubkey, const std::string& strName, pfSettingType type,
                           std::vector<uint8_t>& data, std::size_t nMaxSize) override;
    bool HasSettings(const std::string& strSubkey) override;
    bool WriteSetting(const std::string& strSubkey, const std::string& strName, pfSettingType type,
                      const std::vector<uint8_t>& data) override;

    std::string ResolveFileLinks(const std::string& strPath) override;
    std::unique_ptr<pfOutputFile> CreateOutputFile(const std::string& strPath) override;
    bool TakeOverFileMode(const std::string& strOldPath, const std::string& strNewPath) override;
    bool MoveFileOver(const std::string& strFromPath, const std::string& strToPath) override;
    bool RemoveFile(const std::string& strPath) override;

    int GetMessageCount() const { return m_nMessages; }
    const std::string& GetLastMessage() const { return m_strLastMessage; }

private:
    struct Value {
        pfSettingType type;
        std::vector<uint8_t> data;
    };
    std::map<std::pair<std::string, std::string>, Value> m_Settings;
    pfNoDialogControls m_Controls;
    int m_nMessages = 0;
    std::string m_strLastMessage;
};
