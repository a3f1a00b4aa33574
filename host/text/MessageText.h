// Text from files and command lines as it may stand in a one-line message.
#pragma once

#include <string>

// At most kMaxMessageQuote characters of strText (a longer text is cut and
// ends in "..."), with bytes outside printable ASCII shown as \xNN.
constexpr std::size_t kMaxMessageQuote = 40;
std::string ReadableText(const std::string& strText);
