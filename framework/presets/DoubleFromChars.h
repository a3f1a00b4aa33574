// Reads a double the way std::from_chars does with chars_format::general,
// on every standard library the builds use: correctly rounded and
// independent of the locale, so that a presets file gives every build the
// same bits.
#pragma once

#include <charconv>

std::from_chars_result DoubleFromChars(const char* pFirst, const char* pLast, double& fValue);
