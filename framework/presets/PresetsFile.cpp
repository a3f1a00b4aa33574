// Named presets in a text file marked with the owning filter's name. The
// file is read whole, changed in memory and replaced in one step.
#include "framework/plugin/Filter.h"
#include "framework/parameters/Parameter.h"
#include "framework/parameters/Parameters.h"
#include "PresetsStorage.h"
#include "PresetsTokenizer.h"
#include "framework/trace/Trace.h"
#include "framework/undo/Undo.h"

#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>
#include <vector>

namespace {

const char* const kNameKeyword = "name";
const char* const kOwnerKeyword = "FileOwner";

// "%f" of the C locale: six decimals and a point, whatever the host's locale.
std::string Fixed(double fValue)
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream << std::fixed << std::setprecision(6) << fValue;
    return stream.str();
}

// The line(s) of one parameter, tested against every type in turn.
std::string ParameterLines(const pfParameter& parameter)
{
    const std::string strName = parameter.GetName();
    std::string strLines;
    if (const auto* pPosition = dynamic_cast<const pfParameterPosition*>(&parameter)) {
        double fX = 0.0, fY = 0.0;
        pPosition->GetValue(fX, fY);
        strLines += strName + " " + Fixed(fX) + " " + Fixed(fY) + "\n";
    }
    if (const auto* pBool = dynamic_cast<const pfParameterBool*>(&parameter))
        strLines += strName + " " + (pBool->GetValue() ? "1" : "0") + "\n";
    if (const auto* pInt = dynamic_cast<const pfParameterInt*>(&parameter))
        strLines += strName + " " + std::to_string(pInt->GetValue()) + "\n";
    if (const auto* pFloat = dynamic_cast<const pfParameterFloat*>(&parameter))
        strLines += strName + " " + Fixed(pFloat->GetValue()) + "\n";
    if (const auto* pRGB = dynamic_cast<const pfParameterRGB*>(&parameter)) {
        double fRed = 0.0, fGreen = 0.0, fBlue = 0.0;
        pRGB->GetValue(fRed, fGreen, fBlue);
        strLines += strName + " " + Fixed(fRed) + " " + Fixed(fGreen) + " " + Fixed(fBlue) + "\n";
    }
    if (const auto* pList = dynamic_cast<const pfParameterList*>(&parameter))
        strLines += strName + " " + std::to_string(pList->GetSelection()) + "\n";
    return strLines;
}

// The values of a parameter as doubles; empty for types without them.
std::vector<double> FloatValues(const pfParameter& parameter)
{
    double fA = 0.0, fB = 0.0, fC = 0.0;
    if (const auto* pPosition = dynamic_cast<const pfParameterPosition*>(&parameter)) {
        pPosition->GetValue(fA, fB);
        return {fA, fB};
    }
    if (const auto* pFloat = dynamic_cast<const pfParameterFloat*>(&parameter))
        return {pFloat->GetValue()};
    if (const auto* pRGB = dynamic_cast<const pfParameterRGB*>(&parameter)) {
        pRGB->GetValue(fA, fB, fC);
        return {fA, fB, fC};
    }
    return {};
}

// The lines of every saved parameter. False when a value is not finite:
// "%f" would write "inf" or "nan", which no reader takes back.
bool SavedParameterLines(const pfParameters& parameters, std::string& strLines)
{
    strLines.clear();
    for (const pfParameter* pParameter : parameters) {
        if (!pParameter->IsSaved())
            continue;
        for (const double fValue : FloatValues(*pParameter)) {
            if (!std::isfinite(fValue))
                return false;
        }
        strLines += ParameterLines(*pParameter);
    }
    return true;
}

// Reads up to and including the name token of preset strName.
bool FindPreset(pfPresetsTokenizer& tokens, const std::string& strName)
{
    std::string strToken;
    while (tokens.Next(strToken)) {
        if (!SameText(strToken, kNameKeyword))
            continue;
        if (!tokens.Next(strToken))
            return false;
        if (SameText(ClipToken(strToken), strName))
            return true;
    }
    return false;
}

// The token after the file's first "FileOwner" keyword (empty when the
// keyword is the last token); false when the file has no such keyword.
bool FindOwner(const std::string& strText, std::string& strOwner)
{
    pfPresetsTokenizer tokens(strText);
    std::string strToken;
    while (tokens.Next(strToken)) {
        if (SameText(strToken, kOwnerKeyword)) {
            strOwner.clear();
            tokens.Next(strOwner);
            strOwner = ClipToken(strOwner);
            return true;
        }
    }
    return false;
}

// A rewrite must leave the file marked as it was. In a damaged file the
// owner keyword can stand among a preset's lines; that preset cannot be
// replaced or deleted without taking the mark along.
bool KeepsOwner(const std::string& strOld, const std::string& strNew)
{
    std::string strOldOwner, strNewOwner;
    const bool bOldOwner = FindOwner(strOld, strOldOwner);
    return FindOwner(strNew, strNewOwner) == bOldOwner && strNewOwner == strOldOwner;
}

// Where a "name" keyword that names nothing begins, when the file ends with
// one (a file cut short); npos otherwise. Anything appended after it would
// be taken as its name.
std::size_t DanglingNameKeyword(const std::string& strText)
{
    pfPresetsTokenizer tokens(strText);
    std::string strToken;
    while (tokens.Next(strToken)) {
        if (!SameText(strToken, kNameKeyword))
            continue;
        const std::size_t nStart = tokens.GetPosition() - strToken.size();
        if (!tokens.Next(strToken))
            return nStart;
    }
    return std::string::npos;
}

// Reads tokens up to and including the next "name" keyword.
bool SkipToNextPreset(pfPresetsTokenizer& tokens)
{
    std::string strToken;
    while (tokens.Next(strToken)) {
        if (SameText(strToken, kNameKeyword))
            return true;
    }
    return false;
}

// How many value tokens follow the parameter's name on its line.
std::size_t ValueCount(const pfParameter& parameter)
{
    if (dynamic_cast<const pfParameterPosition*>(&parameter))
        return 2;
    if (dynamic_cast<const pfParameterRGB*>(&parameter))
        return 3;
    return 1;
}

// Sets the parameter from its value tokens. A number that is not finite
// changes nothing.
bool ApplyValue(pfParameter& parameter, const std::string* pValues)
{
    if (auto* pPosition = dynamic_cast<pfParameterPosition*>(&parameter)) {
        const auto fX = ParseFloatToken(pValues[0]);
        const auto fY = ParseFloatToken(pValues[1]);
        return fX && fY && pPosition->SetValue(*fX, *fY);
    }
    if (auto* pBool = dynamic_cast<pfParameterBool*>(&parameter)) {
        const auto nValue = ParseIntegerToken(pValues[0]);
        return nValue && pBool->SetValue(*nValue != 0);
    }
    if (auto* pInt = dynamic_cast<pfParameterInt*>(&parameter)) {
        const auto nValue = ParseIntegerToken(pValues[0]);
        return nValue && pInt->SetValue(*nValue);
    }
    if (auto* pFloat = dynamic_cast<pfParameterFloat*>(&parameter)) {
        const auto fValue = ParseFloatToken(pValues[0]);
        return fValue && pFloat->SetValue(*fValue);
    }
    if (auto* pRGB = dynamic_cast<pfParameterRGB*>(&parameter)) {
        const auto fRed = ParseFloatToken(pValues[0]);
        const auto fGreen = ParseFloatToken(pValues[1]);
        const auto fBlue = ParseFloatToken(pValues[2]);
        return fRed && fGreen && fBlue && pRGB->SetValue(*fRed, *fGreen, *fBlue);
    }
    if (auto* pList = dynamic_cast<pfParameterList*>(&parameter)) {
        const auto nValue = ParseIntegerToken(pValues[0]);
        return nValue && pList->SetSelection(*nValue);
    }
    return false;
}

// The tokens of one preset: everything up to the next "name" keyword, which
// starts the next preset and is never taken as a value.
std::vector<std::string> PresetTokens(pfPresetsTokenizer& tokens)
{
    std::vector<std::string> lstTokens;
    std::string strToken;
    while (tokens.Next(strToken) && !SameText(strToken, kNameKeyword))
        lstTokens.push_back(strToken);
    return lstTokens;
}

// The key/value lines of one preset. A line with fewer values than its
// parameter needs can only be the preset's last: it ends the preset and
// changes nothing. Every change is one undo record; the caller closes the
// group.
void ApplyPreset(const pfParameters& parameters, const std::vector<std::string>& lstTokens, pfUndoStack* pUndoStack)
{
    std::size_t nKey = 0;
    while (nKey + 1 < lstTokens.size()) {
        std::size_t nValues = 1;
        for (pfParameter* pParameter : parameters) {
            if (!SameText(pParameter->GetName(), ClipToken(lstTokens[nKey])))
                continue;
            nValues = ValueCount(*pParameter);
            if (nKey + nValues >= lstTokens.size())
                return;
            std::unique_ptr<pfUndo> pUndo = pUndoStack ? pParameter->CreateUndo() : nullptr;
            if (ApplyValue(*pParameter, &lstTokens[nKey + 1]) && pUndoStack)
                pUndoStack->Push(std::move(pUndo));
        }
        nKey += 1 + nValues;
    }
}

// Preset names are single tokens: blanks become underscores, and the length
// is what a reader can compare.
std::string StoredPresetName(std::string strName)
{
    for (char& c : strName) {
        if (c == ' ')
            c = '_';
    }
    return ClipToken(strName);
}

// The new file text with preset strName written from the current values.
// False when the old file exists but cannot be read (it must not be
// replaced) or a value cannot be written so that it reads back.
bool ComposeSavedFile(const pfParameters& parameters, const std::string& strName, const std::string& strPath,
                      const std::string& strFilterName, std::string& strResult)
{
    std::string strOld, strLines;
    const pfFileRead read = ReadWholeFile(strPath, strOld);
    if (read == pfFileRead::Failed) {
        PF_TRACE_WARNING_LINE("Could not open file for reading: '" << strPath << "'");
        return false;
    }
    if (!SavedParameterLines(parameters, strLines)) {
        PF_TRACE_WARNING_LINE("Could not open file for writing: '" << strPath << "'");
        return false;
    }
    pfPresetsTokenizer tokens(strOld);
    if (read == pfFileRead::Ok && FindPreset(tokens, strName)) {
        // The old header keeps its letter case; the separating empty line
        // before the following preset is not reproduced.
        strResult = strOld.substr(0, tokens.GetPosition()) + TextModeLines("\n");
        strResult += TextModeLines(strLines);
        if (SkipToNextPreset(tokens))
            strResult += kNameKeyword + strOld.substr(tokens.GetPosition());
        if (!KeepsOwner(strOld, strResult)) {
            PF_TRACE_WARNING_LINE("Could not open file for writing: '" << strPath << "'");
            return false;
        }
        return true;
    }
    // A cut-off "name" at the end names no preset (none is listed or
    // loaded under it); the new preset takes its place instead of becoming
    // its name.
    strResult = strOld.substr(0, DanglingNameKeyword(strOld));
    if (read == pfFileRead::Missing)
        strResult += TextModeLines(std::string(kOwnerKeyword) + " " + strFilterName + "\n");
    strResult += TextModeLines("\n" + std::string(kNameKeyword) + " " + strName + "\n");
    strResult += TextModeLines(strLines);
    return true;
}

}  // namespace

bool pfParameters::LoadSettings(std::string strName, std::string strPath, pfFilter* pFilter)
{
    PF_TRACE_ENTER("pfParmeters::LoadSettings( strName(" << strName << "), strPath(" << strPath << "), pFilter("
                                                         << TracePtr(pFilter) << ") )");
    bool bResult = false;
    if (!strName.empty() && !strPath.empty()) {
        std::string strText;
        if (ReadWholeFile(strPath, strText) != pfFileRead::Ok) {
            PF_TRACE_WARNING_LINE("Could not open file for reading: '" << strPath << "'");
        } else {
            pfPresetsTokenizer tokens(strText);
            bResult = FindPreset(tokens, ClipToken(strName));
            if (bResult) {
                pfUndoStack* pUndoStack = pFilter ? &pFilter->GetUndoStack() : nullptr;
                ApplyPreset(*this, PresetTokens(tokens), pUndoStack);
                if (pUndoStack)
                    pUndoStack->NewGroup();
                ValidateAll();
            }
        }
    }
    PF_TRACE_EXIT("pfParmeters::LoadSettings( return(" << (bResult ? 1 : 0) << ") )");
    return bResult;
}

bool pfParameters::SaveSettings(std::string strName, std::string strPath, std::string strFilterName)
{
    PF_TRACE_ENTER("pfParmeters::SaveSettings( strName(" << strName << "), strPath(" << strPath << ") )");
    bool bResult = false;
    if (!strName.empty() && !strPath.empty()) {
        std::string strOwner = strFilterName;
        bResult = IsSettingFileValid(strPath, strOwner);
        std::string strText;
        if (bResult) {
            bResult = ComposeSavedFile(*this, StoredPresetName(strName), strPath, strFilterName, strText) &&
                      ReplaceWholeFile(strPath, strText);
        }
    }
    PF_TRACE_EXIT("pfParmeters::SaveSettings( return(" << (bResult ? 1 : 0) << ") ");
    return bResult;
}

bool pfParameters::DeleteSettings(std::string strName, std::string strPath)
{
    PF_TRACE_ENTER("pfParmeters::DeleteSettings( strName(" << strName << "), strPath(" << strPath << ") )");
    bool bResult = false;
    std::string strOld;
    if (!strName.empty() && !strPath.empty()) {
        if (ReadWholeFile(strPath, strOld) != pfFileRead::Ok) {
            PF_TRACE_WARNING_LINE("Could not open file for reading: '" << strPath << "'");
        } else {
            pfPresetsTokenizer tokens(strOld);
            const std::string strWanted = ClipToken(strName);
            std::size_t nPresetStart = 0;
            bool bFound = false;
            std::string strToken;
            while (!bFound) {
                nPresetStart = tokens.GetPosition();
                if (!tokens.Next(strToken))
                    break;
                if (SameText(strToken, kNameKeyword))
                    bFound = tokens.Next(strToken) && SameText(ClipToken(strToken), strWanted);
            }
            if (bFound) {
                // Cut from the end of the line before the preset's empty line.
                std::string strText = strOld.substr(0, nPresetStart) + TextModeLines("\n");
                if (SkipToNextPreset(tokens))
                    strText += TextModeLines("\n") + kNameKeyword + strOld.substr(tokens.GetPosition());
                if (KeepsOwner(strOld, strText))
                    bResult = ReplaceWholeFile(strPath, strText);
                else
                    PF_TRACE_WARNING_LINE("Could not open file for writing: '" << strPath << "'");
            }
        }
    }
    PF_TRACE_EXIT("pfParmeters::DeleteSettings( return(" << (bResult ? 1 : 0) << ") ) ");
    return bResult;
}

bool pfParameters::GetSettingNames(std::string strPath, std::list<std::string>& lstNames, std::string strFilterName)
{
    PF_TRACE_ENTER("pfParmeters::GetSettingNames( strPath(" << strPath << "), lstNames(), strFilterName("
                                                            << strFilterName << ") )");
    std::string strOwner = strFilterName;
    const bool bResult = IsSettingFileValid(strPath, strOwner);
    std::string strText;
    if (bResult && !strPath.empty() && ReadWholeFile(strPath, strText) == pfFileRead::Ok) {
        pfPresetsTokenizer tokens(strText);
        std::string strToken;
        while (tokens.Next(strToken)) {
            if (SameText(strToken, kNameKeyword) && tokens.Next(strToken))
                lstNames.push_back(ClipToken(strToken));
        }
    }
    PF_TRACE_EXIT("pfParmeters::GetSettingNames( return(" << (bResult ? 1 : 0) << ") )");
    return bResult;
}

bool pfParameters::IsSettingFileValid(std::string strPath, std::string& strFilterName)
{
    PF_TRACE_ENTER("pfParmeters::IsSettingFileValid( strPath(" << strPath << "), strFilterName(" << strFilterName
                                                               << ") )");
    bool bResult = false;
    std::string strText;
    if (!strPath.empty()) {
        // A file that cannot be read is taken as one that does not exist yet.
        bResult = ReadWholeFile(strPath, strText) != pfFileRead::Ok;
        std::string strOwner;
        if (!bResult && FindOwner(strText, strOwner)) {
            bResult = SameText(strOwner, strFilterName);
            if (!bResult)
                strFilterName = strOwner;
        }
    }
    PF_TRACE_EXIT("pfParmeters::IsSettingFileValid( return(" << (bResult ? 1 : 0) << ") )");
    return bResult;
}
