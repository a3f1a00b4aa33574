// UTF-8 text of the host and the UTF-16 text of the Windows API.
#pragma once

#if defined(_WIN32)
#include <string>

std::wstring Widen(const std::string& strText);
std::string Narrow(const std::wstring& strText);
#endif
