// Fuzz target: the presets file. The input is the file; two bytes at its
// end choose the preset to save over (or a new name) and the one to delete.
// Whatever the file, nothing crashes or hangs, and:
// - a save that succeeds loads back the values it wrote, as "%f" wrote them;
// - every other preset is listed and loads as before a save or a delete;
// - a save lists one new name at the end or none, a delete removes one;
// - an operation that fails leaves the file byte for byte as it was.
#include "FuzzSupport.h"

#include "filter/FilterCorvane.h"
#include "framework/presets/PresetsStorage.h"
#include "framework/presets/PresetsTokenizer.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <list>
#include <map>

namespace {

using NameList = std::list<std::string>;

// The saved values of the filter as the file shows them.
std::string SavedValues(pfFilterCorvane& filter)
{
    std::string strValues;
    char buffer[400];
    for (const pfParameter* pParameter : filter.GetParameters()) {
        if (!pParameter->IsSaved())
            continue;
        strValues += pParameter->GetName();
        double fA = 0, fB = 0, fC = 0;
        if (const auto* pRGB = dynamic_cast<const pfParameterRGB*>(pParameter)) {
            pRGB->GetValue(fA, fB, fC);
            std::snprintf(buffer, sizeof buffer, " %f %f %f", fA, fB, fC);
        } else if (const auto* pFloat = dynamic_cast<const pfParameterFloat*>(pParameter)) {
            std::snprintf(buffer, sizeof buffer, " %f", pFloat->GetValue());
        } else if (const auto* pList = dynamic_cast<const pfParameterList*>(pParameter)) {
            std::snprintf(buffer, sizeof buffer, " %d", int(pList->GetSelection()));
        } else if (const auto* pBool = dynamic_cast<const pfParameterBool*>(pParameter)) {
            std::snprintf(buffer, sizeof buffer, " %d", pBool->GetValue() ? 1 : 0);
        }
        strValues += buffer;
        strValues += "\n";
    }
    return strValues;
}

// What loading preset strName into a fresh filter gives ("" when it is not
// found).
std::string LoadedValues(const std::string& strPath, const std::string& strName)
{
    pfFilterCorvane filter;
    if (!filter.GetParameters().LoadSettings(strName, strPath, nullptr))
        return std::string();
    return SavedValues(filter);
}

// The values of each listed name, first occurrence by letter case, at most
// a few dozen so that one input stays quick.
std::map<std::string, std::string> LoadEach(const std::string& strPath, const NameList& lstNames)
{
    std::map<std::string, std::string> values;
    for (const std::string& strName : lstNames) {
        if (values.size() == 32)
            break;
        bool bSeen = false;
        for (const auto& [strKnown, strValues] : values)
            bSeen = bSeen || SameText(strKnown, strName);
        if (!bSeen)
            values[strName] = LoadedValues(strPath, strName);
    }
    return values;
}

void CheckOthersUnchanged(const std::string& strPath, const std::map<std::string, std::string>& before,
                          const std::string& strChanged)
{
    for (const auto& [strName, strValues] : before) {
        if (!SameText(strName, strChanged))
            FuzzCheck(LoadedValues(strPath, strName) == strValues, "another preset loads as before");
    }
}

NameList Names(const std::string& strPath, bool& bValid)
{
    pfFilterCorvane filter;
    NameList lstNames;
    bValid = filter.GetParameters().GetSettingNames(strPath, lstNames, "CorvaneII");
    return lstNames;
}

NameList WithoutFirst(NameList lstNames, const std::string& strName)
{
    for (auto it = lstNames.begin(); it != lstNames.end(); ++it) {
        if (SameText(*it, strName)) {
            lstNames.erase(it);
            break;
        }
    }
    return lstNames;
}

// Saves over a listed preset (or under a new name) with the values of the
// first preset, checking the promises above.
void SaveOver(const std::string& strPath, const std::string& strText, uint8_t nChoice)
{
    bool bValid = false;
    const NameList lstNames = Names(strPath, bValid);
    const bool bNewName = lstNames.empty() || nChoice >= 0xC0;
    const std::string strName =
        bNewName ? std::string("New_Preset") : *std::next(lstNames.begin(), nChoice % lstNames.size());
    const std::map<std::string, std::string> before = LoadEach(strPath, lstNames);

    pfFilterCorvane filter;
    if (!lstNames.empty())
        filter.GetParameters().LoadSettings(lstNames.front(), strPath, nullptr);
    const std::string strSaved = SavedValues(filter);
    if (!filter.GetParameters().SaveSettings(strName, strPath, "CorvaneII")) {
        std::string strAfter;
        ReadWholeFile(strPath, strAfter);
        FuzzCheck(strAfter == strText, "a failed save leaves the file as it was");
        return;
    }
    FuzzCheck(bValid, "only a file of ours is saved to");
    FuzzCheck(LoadedValues(strPath, strName) == strSaved, "a saved preset loads back what was saved");
    CheckOthersUnchanged(strPath, before, strName);
    bool bStillValid = false;
    const NameList lstAfter = Names(strPath, bStillValid);
    NameList lstExpected = lstNames;
    bool bListed = false;
    for (const std::string& strListed : lstNames)
        bListed = bListed || SameText(strListed, strName);
    if (!bListed)
        lstExpected.push_back(strName);
    FuzzCheck(bStillValid && lstAfter == lstExpected, "a save lists the same names, or one more at the end");
}

void Delete(const std::string& strPath, uint8_t nChoice)
{
    bool bValid = false;
    const NameList lstNames = Names(strPath, bValid);
    if (lstNames.empty())
        return;
    const std::string strName = *std::next(lstNames.begin(), nChoice % lstNames.size());
    const std::map<std::string, std::string> before = LoadEach(strPath, lstNames);
    std::string strText;
    ReadWholeFile(strPath, strText);
    pfFilterCorvane filter;
    if (!filter.GetParameters().DeleteSettings(strName, strPath)) {
        std::string strAfter;
        ReadWholeFile(strPath, strAfter);
        FuzzCheck(strAfter == strText, "a failed delete leaves the file as it was");
        return;
    }
    CheckOthersUnchanged(strPath, before, strName);
    bool bStillValid = false;
    FuzzCheck(Names(strPath, bStillValid) == WithoutFirst(lstNames, strName) && bStillValid,
              "a delete removes its preset's name and no other");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    FuzzedDataProvider input(pData, nSize);
    const uint8_t nSaveChoice = input.ConsumeIntegral<uint8_t>();
    const uint8_t nDeleteChoice = input.ConsumeIntegral<uint8_t>();
    const std::string strText = input.ConsumeRemainingBytesAsString();
    const std::string& strPath = ScratchPath("presets.cfg");
    WriteScratch(strPath, strText);
    SaveOver(strPath, strText, nSaveChoice);
    Delete(strPath, nDeleteChoice);
    return 0;
}
