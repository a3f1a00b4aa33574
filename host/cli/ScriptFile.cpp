#include "ScriptFile.h"

#include "host/imagefiles/FileAccess.h"
#include "host/text/MessageText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <system_error>
#include <vector>

namespace {

// Settings files are a few dozen lines; anything far larger is not one.
constexpr uint64_t kMaxScriptFileBytes = 1 << 20;

std::vector<std::string> SplitWords(const std::string& strLine)
{
    std::vector<std::string> words;
    std::istringstream stream(strLine);
    std::string strWord;
    while (stream >> strWord)
        words.push_back(strWord);
    return words;
}

bool IsPrintableKey(DescriptorKeyID key)
{
    for (int nShift = 24; nShift >= 0; nShift -= 8) {
        const unsigned c = (key >> nShift) & 0xFF;
        if (c < 0x21 || c > 0x7E)
            return false;
    }
    return (key >> 24) != '#';
}

std::string FormatKey(DescriptorKeyID key)
{
    if (IsPrintableKey(key))
        return {char(key >> 24), char(key >> 16), char(key >> 8), char(key)};
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", unsigned(key));
    return buffer;
}

// The whole word must be the number; from_chars reads only a prefix.
template <typename T> std::errc ParseWhole(const std::string& strWord, T& value)
{
    const char* pFirst = strWord.data();
    const char* pLast = pFirst + strWord.size();
    if (pFirst != pLast && *pFirst == '+' && pLast - pFirst > 1 && pFirst[1] != '-')
        ++pFirst;
    const auto result = std::from_chars(pFirst, pLast, value);
    if (result.ec == std::errc() && result.ptr != pLast)
        return std::errc::invalid_argument;
    return result.ec;
}

bool ParseKey(const std::string& strWord, DescriptorKeyID& key, std::string& strProblem)
{
    if (strWord.size() == 10 && (strWord.compare(0, 2, "0x") == 0 || strWord.compare(0, 2, "0X") == 0)) {
        const char* pLast = strWord.data() + strWord.size();
        const auto result = std::from_chars(strWord.data() + 2, pLast, key, 16);
        if (result.ec != std::errc() || result.ptr != pLast) {
            strProblem = "key '" + ReadableText(strWord) + "' is not a hexadecimal number";
            return false;
        }
    } else if (strWord.size() == 4) {
        key = FourCC({strWord[0], strWord[1], strWord[2], strWord[3], 0});
    } else {
        strProblem = "key '" + ReadableText(strWord) + "' must have four characters (or be 0x and eight hex digits)";
        return false;
    }
    if (key == 0) {
        strProblem = "key 0 cannot be recorded";
        return false;
    }
    return true;
}

bool ParseValue(const std::string& strType, const std::string& strWord, pfDescriptorEntry& entry,
                std::string& strProblem)
{
    if (strType == "integer") {
        int32_t nValue = 0;
        const std::errc ec = ParseWhole(strWord, nValue);
        if (ec == std::errc::result_out_of_range)
            strProblem = "integer '" + ReadableText(strWord) + "' does not fit in 32 bits";
        else if (ec != std::errc())
            strProblem = "'" + ReadableText(strWord) + "' is not an integer";
        entry.value = nValue;
    } else if (strType == "float") {
        double fValue = 0.0;
        const std::errc ec = ParseWhole(strWord, fValue);
        if (ec == std::errc() && !std::isfinite(fValue))
            strProblem = "float '" + ReadableText(strWord) + "' is not finite";
        else if (ec == std::errc::result_out_of_range)
            strProblem = "float '" + ReadableText(strWord) + "' is out of range";
        else if (ec != std::errc())
            strProblem = "'" + ReadableText(strWord) + "' is not a number";
        entry.value = fValue;
    } else if (strType == "boolean") {
        if (strWord != "true" && strWord != "false")
            strProblem = "boolean value '" + ReadableText(strWord) + "' must be true or false";
        entry.value = strWord == "true";
    } else {
        strProblem = "unknown type '" + ReadableText(strType) + "' (use integer, float or boolean)";
    }
    return strProblem.empty();
}

// One non-comment line into an entry; false with the problem described.
bool ParseLine(const std::vector<std::string>& words, pfDescriptorEntry& entry, std::string& strProblem)
{
    if (words.size() < 3) {
        strProblem = "expected KEY TYPE VALUE";
        return false;
    }
    if (words.size() > 3 && words[3][0] != '#') {
        strProblem = "unexpected '" + ReadableText(words[3]) + "' after the value";
        return false;
    }
    return ParseKey(words[0], entry.key, strProblem) && ParseValue(words[1], words[2], entry, strProblem);
}

std::string FormatValue(const pfDescriptorEntry& entry)
{
    if (const auto* pInteger = std::get_if<int32_t>(&entry.value))
        return "integer " + std::to_string(*pInteger);
    if (const auto* pFloat = std::get_if<double>(&entry.value)) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, *pFloat);
        return "float " + std::string(buffer, result.ptr);
    }
    return std::string("boolean ") + (std::get<bool>(entry.value) ? "true" : "false");
}

}  // namespace

bool ParseScriptText(const std::string& strText, pfDescriptor& descriptor, std::string& strError)
{
    pfDescriptor entries;
    std::map<DescriptorKeyID, int> firstLines;
    std::istringstream stream(strText);
    std::string strLine;
    for (int nLine = 1; std::getline(stream, strLine); ++nLine) {
        const std::vector<std::string> words = SplitWords(strLine);
        if (words.empty() || words[0][0] == '#')
            continue;
        pfDescriptorEntry entry;
        std::string strProblem;
        if (ParseLine(words, entry, strProblem)) {
            const auto inserted = firstLines.emplace(entry.key, nLine);
            if (!inserted.second)
                strProblem = "key '" + ReadableText(words[0]) + "' was already given on line " +
                             std::to_string(inserted.first->second);
        }
        if (!strProblem.empty()) {
            strError = "line " + std::to_string(nLine) + ": " + strProblem;
            return false;
        }
        entries.push_back(entry);
    }
    descriptor = std::move(entries);
    return true;
}

std::string FormatScriptText(const pfDescriptor& descriptor)
{
    std::string strText;
    for (const pfDescriptorEntry& entry : descriptor)
        strText += FormatKey(entry.key) + " " + FormatValue(entry) + "\n";
    return strText;
}

bool LoadScriptFile(const std::string& strPath, pfDescriptor& descriptor, std::string& strError)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(strPath, kMaxScriptFileBytes, bytes, strError))
        return false;
    if (!ParseScriptText(std::string(bytes.begin(), bytes.end()), descriptor, strError)) {
        strError = strPath + ": " + strError;
        return false;
    }
    return true;
}

bool SaveScriptFile(const std::string& strPath, const pfDescriptor& descriptor, std::string& strError)
{
    const pfFilePtr pFile = OpenForWriting(strPath, strError);
    if (!pFile)
        return false;
    const std::string strText = FormatScriptText(descriptor);
    if (std::fwrite(strText.data(), 1, strText.size(), pFile.get()) != strText.size() ||
        std::fflush(pFile.get()) != 0) {
        strError = strPath + ": cannot be written";
        return false;
    }
    return true;
}

bool ParsePlayOption(const std::string& strOption, int16_t& nPlayInfo)
{
    if (strOption == "display")
        nPlayInfo = plugInDialogDisplay;
    else if (strOption == "dont-display")
        nPlayInfo = plugInDialogDontDisplay;
    else if (strOption == "silent")
        nPlayInfo = plugInDialogSilent;
    else
        return false;
    return true;
}
