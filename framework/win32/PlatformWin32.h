// The operating-system seam on Windows: the thread's message queue, message
// boxes and the About box, and settings under the plug-in's registry key in
// the current user's hive.
#pragma once

#include "DialogControlsWin32.h"
#include "framework/Platform.h"

class pfPlatformWin32 : public pfPlatform {
public:
    uint32_t GetTickCount() override;
    bool PumpMessages() override;
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

private:
    pfDialogControlsWin32 m_Controls;
};
