// Typed values under the plug-in's registry key (strSubkey empty) or one of
// its subkeys. Anyone can edit those values, so a read succeeds only for a
// value of the expected type and size; anything else reads as missing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

bool ReadDwordSetting(const std::string& strSubkey, const std::string& strName, int32_t& nValue);
bool WriteDwordSetting(const std::string& strSubkey, const std::string& strName, int32_t nValue);

// A text that fits a buffer of nBufferBytes with its terminating zero; the
// text ends at the first zero, or with the value when it has none.
bool ReadStringSetting(const std::string& strSubkey, const std::string& strName, std::size_t nBufferBytes,
                       std::string& strValue);
bool WriteStringSetting(const std::string& strSubkey, const std::string& strName, const std::string& strValue);

// Exactly nBytes of binary data.
bool ReadBinarySetting(const std::string& strSubkey, const std::string& strName, std::size_t nBytes,
                       std::vector<uint8_t>& data);
bool WriteBinarySetting(const std::string& strSubkey, const std::string& strName, const std::vector<uint8_t>& data);
