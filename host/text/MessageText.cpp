#include "MessageText.h"

#include <cstdio>

std::string ReadableText(const std::string& strText)
{
    std::string strReadable;
    std::size_t nShown = 0;
    for (const char c : strText) {
        if (nShown == kMaxMessageQuote)
            return strReadable + "...";
        const auto nByte = static_cast<unsigned char>(c);
        if (nByte >= 0x20 && nByte < 0x7F && nByte != '\\') {
            strReadable += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(nByte));
            strReadable += escaped;
        }
        ++nShown;
    }
    return strReadable;
}
