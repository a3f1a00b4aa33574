#include "ControlText.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>

namespace {

std::ostringstream ClassicStream()
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    return text;
}

// The length of the decimal number at the start of p, 0 when there is none.
std::size_t DecimalLength(const std::string& strText, std::size_t nStart)
{
    std::size_t i = nStart;
    const auto digits = [&] {
        const std::size_t nFrom = i;
        while (i < strText.size() && std::isdigit(static_cast<unsigned char>(strText[i])))
            ++i;
        return i - nFrom;
    };
    if (i < strText.size() && (strText[i] == '+' || strText[i] == '-'))
        ++i;
    std::size_t nDigits = digits();
    if (i < strText.size() && strText[i] == '.') {
        ++i;
        nDigits += digits();
    }
    if (nDigits == 0)
        return 0;
    if (i < strText.size() && (strText[i] == 'e' || strText[i] == 'E')) {
        const std::size_t nMantissaEnd = i++;
        if (i < strText.size() && (strText[i] == '+' || strText[i] == '-'))
            ++i;
        if (digits() == 0)
            i = nMantissaEnd;
    }
    return i - nStart;
}

} // namespace

std::string FormatNumber(double fValue)
{
    std::ostringstream text = ClassicStream();
    text << fValue;
    return text.str();
}

std::string FormatDegrees(double fDegrees)
{
    std::ostringstream text = ClassicStream();
    // No "-0.00" for a negative zero or a hair below it.
    text << std::fixed << std::setprecision(2) << (std::fabs(fDegrees) < 0.005 ? 0.0 : fDegrees);
    return text.str();
}

std::string FormatTurns(double fTurns)
{
    std::ostringstream text = ClassicStream();
    text << std::fixed << std::setprecision(0) << fTurns + 0.0; // no "-0"
    return text.str();
}

bool ParseNumber(const std::string& strText, double& fValue)
{
    std::size_t nStart = 0;
    while (nStart < strText.size() && std::isspace(static_cast<unsigned char>(strText[nStart])))
        ++nStart;
    const std::size_t nLength = DecimalLength(strText, nStart);
    if (nLength == 0 || nStart + nLength != strText.size())
        return false;
    std::istringstream number(strText.substr(nStart, nLength));
    number.imbue(std::locale::classic());
    double fParsed = 0.0;
    number >> fParsed;
    if (!number || !std::isfinite(fParsed))
        return false;
    fValue = fParsed;
    return true;
}

int TrackbarPosition(double fValue)
{
    const double fPosition = fValue * 100.0;
    if (!(fPosition == fPosition))
        return 0;
    if (fPosition >= double(INT_MAX))
        return INT_MAX;
    if (fPosition <= double(INT_MIN))
        return INT_MIN;
    return int(fPosition);
}
