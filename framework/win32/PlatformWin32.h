// The operating-system seam on Windows: the thread's message queue, message
// boxes and the About box, settings under the plug-in's registry key in the
// current user's hive, and files (FilesWin32.cpp).
#pragma once

#include "DialogControlsWin32.h"
#include "framework/platform/Platform.h"

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

    std::string ResolveFileLinks(const std::string& strPath) override;
    std::unique_ptr<pfOutputFile> CreateOutputFile(const std::string& strPath) override;
    bool TakeOverFileMode(const std::string& strOldPath, const std::string& strNewPath) override;
    bool MoveFileOver(const std::string& strFromPath, const std::string& strToPath) override;
    bool RemoveFile(const std::string& strPath) override;

private:
    pfDialogControlsWin32 m_Controls;
};
