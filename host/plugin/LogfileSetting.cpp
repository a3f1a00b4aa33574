#include "LogfileSetting.h"

#if defined(_WIN32)
#include "host/text/WinText.h"

#include <windows.h>

namespace {
const wchar_t* const kKey = L"SOFTWARE\\Veskary\\Photoshop\\CorvaneII";
const wchar_t* const kValue = L"logfile";
} // namespace

bool SetLogfileSetting(const std::string& strPath, std::string& strError)
{
    HKEY hKey = nullptr;
    LONG nStatus = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr);
    if (nStatus == ERROR_SUCCESS) {
        const std::wstring strWide = Widen(strPath);
        nStatus = RegSetValueExW(hKey, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(strWide.c_str()),
                                 DWORD((strWide.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(hKey);
    }
    if (nStatus != ERROR_SUCCESS)
        strError = "cannot write the logfile registry value (error " + std::to_string(nStatus) + ")";
    return nStatus == ERROR_SUCCESS;
}

bool RemoveLogfileSetting(std::string& strError)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &hKey) != ERROR_SUCCESS)
        return true; // no key, no value
    const LONG nStatus = RegDeleteValueW(hKey, kValue);
    RegCloseKey(hKey);
    if (nStatus != ERROR_SUCCESS && nStatus != ERROR_FILE_NOT_FOUND) {
        strError = "cannot remove the logfile registry value (error " + std::to_string(nStatus) + ")";
        return false;
    }
    return true;
}

#else
#include "framework/platform/Platform.h"

#include <vector>

bool SetLogfileSetting(const std::string& strPath, std::string&)
{
    std::vector<uint8_t> data(strPath.begin(), strPath.end());
    data.push_back(0);
    return GetPlatform().WriteSetting("", "logfile", pfSettingType::String, data);
}

// The native settings store lives only as long as the process and starts
// empty, so there is nothing to remove.
bool RemoveLogfileSetting(std::string&)
{
    return true;
}
#endif
