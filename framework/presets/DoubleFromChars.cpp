#include "DoubleFromChars.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 170000
// libc++ before 17 (the ARM64 build's) reads no floating point. fast_float,
// the reader libstdc++'s own from_chars is built on, gives the same values;
// where the value is beyond a double it returns infinity or zero instead of
// reporting it, and that is turned into the report std::from_chars makes.
#include <fast_float/fast_float.h>

std::from_chars_result DoubleFromChars(const char* pFirst, const char* pLast, double& fValue)
{
    double fRead = 0.0;
    const auto result = fast_float::from_chars(pFirst, pLast, fRead, fast_float::chars_format::general);
    if (result.ec != std::errc())
        return {result.ptr, result.ec};
    const char* pMantissaEnd = std::find_if(pFirst, result.ptr, [](char c) { return c == 'e' || c == 'E'; });
    const bool bNonzeroDigits = std::any_of(pFirst, pMantissaEnd, [](char c) { return c >= '1' && c <= '9'; });
    if (std::isinf(fRead) || (fRead == 0 && bNonzeroDigits))
        return {result.ptr, std::errc::result_out_of_range};
    fValue = fRead;
    return {result.ptr, std::errc()};
}
#else
std::from_chars_result DoubleFromChars(const char* pFirst, const char* pLast, double& fValue)
{
    return std::from_chars(pFirst, pLast, fValue, std::chars_format::general);
}
#endif
