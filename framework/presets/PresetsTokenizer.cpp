#include "PresetsTokenizer.h"
#include "DoubleFromChars.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

// White space of the C locale, whatever locale the host has set.
bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// True when the text after an optional sign starts like "inf" or "nan":
// the spellings of numbers that are not finite.
bool SpellsNonFinite(const std::string& strToken)
{
    std::size_t nStart = (!strToken.empty() && (strToken[0] == '+' || strToken[0] == '-')) ? 1 : 0;
    const std::string strRest = strToken.substr(nStart, 3);
    return SameText(strRest, "inf") || SameText(strRest, "nan");
}

// from_chars accepts a leading minus but no plus; "+5" is 5, "+-5" no number.
const char* SkipPlus(const std::string& strToken)
{
    const char* pFirst = strToken.data();
    if (!strToken.empty() && strToken[0] == '+') {
        ++pFirst;
        if (strToken.size() > 1 && (strToken[1] == '+' || strToken[1] == '-'))
            return nullptr;
    }
    return pFirst;
}

// An out-of-range number with a negative exponent is too small, not too big.
bool HasNegativeExponent(const char* pFirst, const char* pLast)
{
    const std::string strNumber(pFirst, pLast);
    const std::size_t nExponent = strNumber.find_first_of("eE");
    return nExponent != std::string::npos && strNumber.find('-', nExponent) != std::string::npos;
}

}  // namespace

bool pfPresetsTokenizer::Next(std::string& strToken)
{
    const std::size_t nSize = m_strText.size();
    std::size_t nPos = m_nPos;
    while (nPos < nSize && IsSpace(m_strText[nPos]))
        ++nPos;
    if (nPos == nSize) {
        m_nPos = nPos;
        return false;
    }
    const std::size_t nStart = nPos;
    while (nPos < nSize && !IsSpace(m_strText[nPos]))
        ++nPos;
    strToken.assign(m_strText, nStart, nPos - nStart);
    m_nPos = nPos;
    return true;
}

bool SameText(const std::string& strA, const std::string& strB)
{
    if (strA.size() != strB.size())
        return false;
    for (std::size_t i = 0; i < strA.size(); ++i) {
        if (LowerAscii(strA[i]) != LowerAscii(strB[i]))
            return false;
    }
    return true;
}

std::string ClipToken(const std::string& strText)
{
    return strText.substr(0, pfPresetsTokenizer::kMaxTokenLength);
}

std::optional<double> ParseFloatToken(const std::string& strToken)
{
    if (SpellsNonFinite(strToken))
        return std::nullopt;
    const char* pFirst = SkipPlus(strToken);
    if (!pFirst)
        return 0.0;
    const char* pLast = strToken.data() + strToken.size();
    double fValue = 0.0;
    const auto result = DoubleFromChars(pFirst, pLast, fValue);
    if (result.ec == std::errc::result_out_of_range)
        return HasNegativeExponent(pFirst, result.ptr) ? std::optional<double>(0.0) : std::nullopt;
    if (result.ec != std::errc())
        return 0.0;
    if (!std::isfinite(fValue))
        return std::nullopt;
    return fValue;
}

std::optional<int32_t> ParseIntegerToken(const std::string& strToken)
{
    if (SpellsNonFinite(strToken))
        return std::nullopt;
    const char* pFirst = SkipPlus(strToken);
    if (!pFirst)
        return 0;
    int32_t nValue = 0;
    const auto result = std::from_chars(pFirst, strToken.data() + strToken.size(), nValue);
    if (result.ec == std::errc::result_out_of_range)
        return std::nullopt;
    if (result.ec != std::errc())
        return 0;
    return nValue;
}
