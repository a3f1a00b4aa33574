// Settings under HKEY_CURRENT_USER\<plug-in key>[\subkey]. Registry values
// can be edited by anyone, so a value that does not fit the caller's limit is
// refused rather than cut short.
#include "PlatformWin32.h"

#include "framework/trace/Trace.h"

#include <windows.h>

#include <limits>
#include <memory>
#include <type_traits>

namespace {

struct KeyCloser {
    void operator()(HKEY hKey) const { RegCloseKey(hKey); }
};
using KeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::string KeyPath(const std::string& strSubkey)
{
    return strSubkey.empty() ? g_strRegistryKey : g_strRegistryKey + "\\" + strSubkey;
}

KeyHandle OpenForReading(const std::string& strSubkey)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(strSubkey).c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return KeyHandle();
    return KeyHandle(hKey);
}

KeyHandle OpenForWriting(const std::string& strSubkey)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath(strSubkey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return KeyHandle();
    return KeyHandle(hKey);
}

DWORD RegistryType(pfSettingType type)
{
    switch (type) {
    case pfSettingType::String:
        return REG_SZ;
    case pfSettingType::Dword:
        return REG_DWORD;
    default:
        return REG_BINARY;
    }
}

bool ReadValue(const std::string& strSubkey, const std::string& strName, std::vector<uint8_t>& data,
               std::size_t nMaxSize, DWORD& nType)
{
    const KeyHandle key = OpenForReading(strSubkey);
    if (!key || nMaxSize > std::numeric_limits<DWORD>::max())
        return false;
    // One spare byte keeps the buffer pointer valid for a zero limit, where
    // a null pointer would turn the query into a size request.
    std::vector<uint8_t> buffer(nMaxSize + 1);
    nType = REG_NONE;
    DWORD nSize = DWORD(nMaxSize);
    if (RegQueryValueExA(key.get(), strName.c_str(), nullptr, &nType, buffer.data(), &nSize) != ERROR_SUCCESS)
        return false;
    buffer.resize(nSize);
    data = std::move(buffer);
    return true;
}

pfSettingType SettingType(DWORD nType)
{
    switch (nType) {
    case REG_SZ:
        return pfSettingType::String;
    case REG_DWORD:
        return pfSettingType::Dword;
    case REG_BINARY:
        return pfSettingType::Binary;
    default:
        return pfSettingType::Other;
    }
}

} // namespace

bool pfPlatformWin32::ReadSetting(const std::string& strSubkey, const std::string& strName,
                                  std::vector<uint8_t>& data, std::size_t nMaxSize)
{
    DWORD nType = REG_NONE;
    return ReadValue(strSubkey, strName, data, nMaxSize, nType);
}

bool pfPlatformWin32::ReadSettingOfType(const std::string& strSubkey, const std::string& strName,
                                        pfSettingType type, std::vector<uint8_t>& data, std::size_t nMaxSize)
{
    std::vector<uint8_t> value;
    DWORD nType = REG_NONE;
    if (!ReadValue(strSubkey, strName, value, nMaxSize, nType) || SettingType(nType) != type)
        return false;
    data = std::move(value);
    return true;
}

bool pfPlatformWin32::HasSettings(const std::string& strSubkey)
{
    return bool(OpenForReading(strSubkey));
}

bool pfPlatformWin32::WriteSetting(const std::string& strSubkey, const std::string& strName, pfSettingType type,
                                   const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> value = data;
    // A string stored without its terminator reads back with whatever the
    // reader's buffer held after it.
    if (type == pfSettingType::String && (value.empty() || value.back() != 0))
        value.push_back(0);
    if (value.size() > std::numeric_limits<DWORD>::max() || (type == pfSettingType::Dword && value.size() != 4))
        return false;
    const KeyHandle key = OpenForWriting(strSubkey);
    if (!key)
        return false;
    return RegSetValueExA(key.get(), strName.c_str(), 0, RegistryType(type), value.data(), DWORD(value.size())) ==
           ERROR_SUCCESS;
}
