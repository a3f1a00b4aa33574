#include "UiKeys.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

std::string Lowered(std::string strText)
{
    std::transform(strText.begin(), strText.end(), strText.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return strText;
}

bool TakePrefix(std::string& strName, const std::string& strPrefix)
{
    if (strName.compare(0, strPrefix.size(), strPrefix) != 0 || strName.size() == strPrefix.size())
        return false;
    strName.erase(0, strPrefix.size());
    return true;
}

} // namespace

bool ParseUiKey(const std::string& strName, pfUiKey& key)
{
    static const std::map<std::string, int> named = {
        {"tab", 0x09},    {"enter", 0x0D}, {"escape", 0x1B}, {"space", 0x20}, {"pageup", 0x21},
        {"pagedown", 0x22}, {"end", 0x23}, {"home", 0x24},   {"left", 0x25},  {"up", 0x26},
        {"right", 0x27},  {"down", 0x28},
    };
    std::string strKey = Lowered(strName);
    key = pfUiKey{};
    for (bool bMore = true; bMore;) {
        bMore = false;
        if (TakePrefix(strKey, "shift+"))
            bMore = key.bShift = true;
        if (TakePrefix(strKey, "ctrl+"))
            bMore = key.bControl = true;
    }
    const auto it = named.find(strKey);
    if (it != named.end())
        key.nVirtualKey = it->second;
    else if (strKey.size() == 1 && std::isalnum(static_cast<unsigned char>(strKey[0])))
        key.nVirtualKey = std::toupper(static_cast<unsigned char>(strKey[0]));
    return key.nVirtualKey != 0;
}
