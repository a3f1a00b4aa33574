// corvhost: the command-line host. See HelpText() in CommandLine.cpp.
#include "Callbacks.h"
#include "CommandLine.h"
#include "Console.h"
#include "DescriptorSuite.h"
#include "DialogWatcher.h"
#include "DocumentFormat.h"
#include "HandleSuite.h"
#include "HostRecord.h"
#include "HostWindow.h"
#include "LogfileSetting.h"
#include "PiplReader.h"
#include "PluginLoader.h"
#include "Png.h"
#include "ScriptFile.h"
#include "SelectorRunner.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#if defined(_WIN32)
#include "WinText.h"

#include <windows.h>
#endif

namespace {

constexpr int kExitSelectorFailed = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& strMessage)
{
    PrintErrorLine("corvhost: " + strMessage);
    return kExitUsage;
}

std::string DefaultPluginPath()
{
#if defined(_WIN32)
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring strPath(path);
    strPath.erase(strPath.find_last_of(L"\\/") + 1);
    return Narrow(strPath + L"CorvaneII.8bf");
#else
    return {};
#endif
}

// Options that only mean something with a plug-in file and real windows.
bool CheckPlatformOptions(const pfCommandLine& c, std::string& strError)
{
#if defined(_WIN32)
    (void)c;
    (void)strError;
    return true;
#else
    const char* strOption = !c.strPlugin.empty()    ? "--plugin"
                            : c.strEntry != "ENTRYPOINT" ? "--entry"
                            : !c.strCaptureDir.empty()   ? "--capture-dialogs"
                            : c.bAnswerDialogs           ? "--answer-dialogs"
                                                         : nullptr;
    if (strOption)
        strError = std::string(strOption) + " needs the Windows host (corvhost.exe)";
    return strOption == nullptr;
#endif
}

// The plug-in reads its thread cap from the environment when it renders.
void ApplyThreadsOption(const pfCommandLine& c)
{
    if (c.nThreads <= 0)
        return;
    const std::string strValue = std::to_string(c.nThreads);
#if defined(_WIN32)
    SetEnvironmentVariableA("CORVANE_THREADS", strValue.c_str());
#else
    setenv("CORVANE_THREADS", strValue.c_str(), 1);
#endif
}

bool ApplyLogfileOption(const pfCommandLine& c, std::string& strError)
{
    if (c.bLogfileGiven)
        return SetLogfileSetting(c.strLogfile, strError);
    if (c.bNoLogfile)
        return RemoveLogfileSetting(strError);
    return true;
}

struct Input {
    pfPngImage png;
    pfDocumentFormat format;
    pfDocument document;
    std::optional<pfDocument> mask;
};

bool LoadInput(const pfCommandLine& c, Input& input, std::string& strError)
{
    if (c.strInput.empty()) {
        // The about selector needs no image; the record still describes one.
        input.png.nWidth = input.png.nHeight = 1;
        input.png.nChannels = 3;
        input.png.samples.assign(3, 0);
    } else if (!ReadPng(c.strInput, input.png, strError)) {
        return false;
    }
    pfDocumentOptions options = c.document;
    if (!c.bModeGiven)
        options.mode = input.png.ColorChannels() == 1 ? pfHostMode::Grey : pfHostMode::RGB;
    input.format = DescribeDocument(options, input.png.nBitDepth);
    input.document = DocumentFromPng(input.png, input.format);
    if (c.strMask.empty())
        return true;
    pfPngImage maskPng;
    pfDocument mask;
    if (!ReadPng(c.strMask, maskPng, strError) ||
        !MaskFromPng(maskPng, input.png.nWidth, input.png.nHeight, c.bByteMask ? 8 : input.format.nDepth, mask,
                     strError))
        return false;
    input.mask = std::move(mask);
    return true;
}

bool WriteOutput(const pfCommandLine& c, const Input& input, std::string& strError)
{
    if (!c.strOutput.empty() &&
        !WritePng(c.strOutput, DocumentToPng(input.document, input.format, input.png), strError))
        return false;
    if (c.strPlanePrefix.empty())
        return true;
    for (int nPlane = 0; nPlane < input.document.GetPlanes(); ++nPlane) {
        const std::string strPath = c.strPlanePrefix + std::to_string(nPlane) + ".png";
        if (!WritePng(strPath, PlaneToPng(input.document, nPlane, input.png.nBitDepth), strError))
            return false;
    }
    return true;
}

pfRecordOptions RecordOptions(const pfCommandLine& c, const pfDocumentFormat& format)
{
    pfRecordOptions options;
    options.format = format;
    options.bOldHost = c.bOldHost;
    options.bAdvanceState = !c.bOmitAdvanceState;
    options.bDisplayPixels = !c.bOmitDisplayPixels;
    options.bProgress = !c.bOmitProgress;
    options.bColorServices = !c.bOmitColorServices;
    options.bHandleProcs = !c.bOmitHandleProcs;
    return options;
}

// The descriptor parameters of a run: the suites, the play option and the
// played-back descriptor, or nothing with --omit descriptor.
class Scripting {
public:
    Scripting(const pfCommandLine& c, pfHandleSuite& handles) : m_CommandLine(c), m_Suite(handles) {}

    bool Prepare(pfHostRecord& record, std::string& strError)
    {
        if (m_CommandLine.bOmitDescriptor)
            return true;
        pfDescriptor playback;
        const bool bPlay = !m_CommandLine.strPlay.empty();
        if (bPlay && !LoadScriptFile(m_CommandLine.strPlay, playback, strError))
            return false;
        m_pParameters = std::make_unique<pfDescriptorParameters>(m_Suite, m_CommandLine.nPlayInfo,
                                                                 bPlay ? &playback : nullptr);
        record.SetDescriptorParameters(m_pParameters->Get());
        return true;
    }

    bool SaveRecording(std::string& strError) const
    {
        if (m_CommandLine.strRecord.empty())
            return true;
        pfDescriptor recorded;
        if (!m_pParameters || !m_pParameters->GetRecorded(recorded)) {
            strError = "the plug-in recorded no descriptor; nothing saved to " + m_CommandLine.strRecord;
            return false;
        }
        return SaveScriptFile(m_CommandLine.strRecord, recorded, strError);
    }

private:
    const pfCommandLine& m_CommandLine;
    pfDescriptorSuite m_Suite;
    std::unique_ptr<pfDescriptorParameters> m_pParameters;
};

// Returns the first non-zero selector result, or 0.
int16_t RunSelectors(const pfCommandLine& c, pfSelectorRunner& runner, intptr_t hwnd)
{
    if (c.bAbout)
        return runner.CallAbout(hwnd);
    if (c.lstSelectors.empty())
        return runner.RunFilter();
    int16_t nFirstFailure = 0;
    for (const int16_t nSelector : c.lstSelectors) {
        const int16_t nResult = runner.Call(nSelector);
        if (nFirstFailure == 0)
            nFirstFailure = nResult;
    }
    return nFirstFailure;
}

int RunHost(const pfCommandLine& c)
{
    std::string strError;
    if (!CheckPlatformOptions(c, strError) || !ApplyLogfileOption(c, strError))
        return Fail(strError);
    ApplyThreadsOption(c);
    Input input;
    if (!LoadInput(c, input, strError))
        return Fail(strError);

    pfCallbacks::Get().Settings() = c.callbacks;
    pfHandleSuite handles;
    pfHostWindow window;
    pfHostRecord record(input.document, input.mask ? &*input.mask : nullptr, RecordOptions(c, input.format),
                        handles);
    record.SetPlatformWindow(window.GetHandle());
    Scripting scripting(c, handles);
    if (!scripting.Prepare(record, strError))
        return Fail(strError);

    pfDialogWatcher watcher(c.strCaptureDir);
    if (c.bAnswerDialogs && !watcher.Start(strError))
        return Fail(strError);
    pfPluginLoader loader;
    const std::string strPlugin = c.strPlugin.empty() ? DefaultPluginPath() : c.strPlugin;
    if (!loader.Load(strPlugin, c.strEntry, strError))
        return Fail(strError);

    pfSelectorRunner runner(loader, record, input.document);
    runner.ShowRequests(c.bShowRequests);
    const int16_t nResult = RunSelectors(c, runner, window.GetHandle());
    if (!WriteOutput(c, input, strError) || !scripting.SaveRecording(strError))
        return Fail(strError);
    if (nResult != noErr) {
        PrintErrorLine("corvhost: a selector returned " + std::to_string(nResult) + "; exit status " +
                       std::to_string(kExitSelectorFailed));
        return kExitSelectorFailed;
    }
    return 0;
}

int Main(const std::vector<std::string>& lstArgs)
{
    pfCommandLine commandLine;
    std::string strError;
    if (!ParseCommandLine(lstArgs, commandLine, strError))
        return Fail(strError + "\n" + "try --help");
    if (commandLine.bHelp) {
        std::cout << HelpText();
        return 0;
    }
    if (!commandLine.strListPipl.empty())
        return ListPipl(commandLine.strListPipl, std::cout, std::cerr);
    return RunHost(commandLine);
}

} // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> lstArgs;
    for (int i = 1; i < argc; ++i)
        lstArgs.push_back(Narrow(argv[i]));
    return Main(lstArgs);
}
#else
int main(int argc, char** argv)
{
    return Main(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
