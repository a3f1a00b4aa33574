#include "Settings.h"

#include "framework/platform/Platform.h"

#include <algorithm>
#include <cstring>

bool ReadDwordSetting(const std::string& strSubkey, const std::string& strName, int32_t& nValue)
{
    std::vector<uint8_t> data;
    if (!GetPlatform().ReadSettingOfType(strSubkey, strName, pfSettingType::Dword, data, sizeof nValue) ||
        data.size() != sizeof nValue)
        return false;
    std::memcpy(&nValue, data.data(), sizeof nValue);
    return true;
}

bool WriteDwordSetting(const std::string& strSubkey, const std::string& strName, int32_t nValue)
{
    std::vector<uint8_t> data(sizeof nValue);
    std::memcpy(data.data(), &nValue, sizeof nValue);
    return GetPlatform().WriteSetting(strSubkey, strName, pfSettingType::Dword, data);
}

bool ReadStringSetting(const std::string& strSubkey, const std::string& strName, std::size_t nBufferBytes,
                       std::string& strValue)
{
    std::vector<uint8_t> data;
    if (nBufferBytes == 0 ||
        !GetPlatform().ReadSettingOfType(strSubkey, strName, pfSettingType::String, data, nBufferBytes))
        return false;
    const auto itEnd = std::find(data.begin(), data.end(), uint8_t(0));
    if (itEnd == data.end() && data.size() >= nBufferBytes)
        return false; // no room left for the terminating zero
    strValue.assign(data.begin(), itEnd);
    return true;
}

bool WriteStringSetting(const std::string& strSubkey, const std::string& strName, const std::string& strValue)
{
    std::vector<uint8_t> data(strValue.begin(), strValue.end());
    data.push_back(0);
    return GetPlatform().WriteSetting(strSubkey, strName, pfSettingType::String, data);
}

bool ReadBinarySetting(const std::string& strSubkey, const std::string& strName, std::size_t nBytes,
                       std::vector<uint8_t>& data)
{
    std::vector<uint8_t> value;
    if (!GetPlatform().ReadSettingOfType(strSubkey, strName, pfSettingType::Binary, value, nBytes) ||
        value.size() != nBytes)
        return false;
    data = std::move(value);
    return true;
}

bool WriteBinarySetting(const std::string& strSubkey, const std::string& strName, const std::vector<uint8_t>& data)
{
    return GetPlatform().WriteSetting(strSubkey, strName, pfSettingType::Binary, data);
}
