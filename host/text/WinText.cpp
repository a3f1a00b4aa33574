#include "WinText.h"

#if defined(_WIN32)
#include <windows.h>

std::wstring Widen(const std::string& strText)
{
    if (strText.empty())
        return {};
    const int nLength = MultiByteToWideChar(CP_UTF8, 0, strText.data(), int(strText.size()), nullptr, 0);
    std::wstring strWide(std::size_t(nLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, strText.data(), int(strText.size()), &strWide[0], nLength);
    return strWide;
}

std::string Narrow(const std::wstring& strText)
{
    if (strText.empty())
        return {};
    const int nLength =
        WideCharToMultiByte(CP_UTF8, 0, strText.data(), int(strText.size()), nullptr, 0, nullptr, nullptr);
    std::string strNarrow(std::size_t(nLength), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strText.data(), int(strText.size()), &strNarrow[0], nLength, nullptr, nullptr);
    return strNarrow;
}
#endif
