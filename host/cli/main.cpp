// corvhost: the command-line host. See HelpText() in CommandLine.cpp.
#include "Batch.h"
#include "host/record/Callbacks.h"
#include "CommandLine.h"
#include "host/text/Console.h"
#include "host/record/DescriptorSuite.h"
#include "host/dialogdriver/DialogWatcher.h"
#include "host/document/DocumentFiles.h"
#include "host/record/HandleSuite.h"
#include "host/record/HostRecord.h"
#include "host/record/HostWindow.h"
#include "host/plugin/FilterThread.h"
#include "host/plugin/LogfileSetting.h"
#include "host/plugin/PiplReader.h"
#include "PlaybackCheck.h"
#include "host/plugin/PluginLoader.h"
#include "host/imagefiles/Png.h"
#include "ScriptFile.h"
#include "host/plugin/SelectorRunner.h"
#include "host/profiles/HostProfile.h"
#include "host/dialogdriver/UiDriver.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#if defined(_WIN32)
#include "host/text/WinText.h"

#include <windows.h>
#endif

namespace {

constexpr int kExitSelectorFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitDialogScript = 3;

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
                            : !c.strUiScript.empty()     ? "--ui-script"
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

const pfHostProfile* ProfileOf(const pfCommandLine& c)
{
    return c.strHostProfile.empty() ? nullptr : FindHostProfile(c.strHostProfile);
}

pfCallbackSettings CallbackSettings(const pfCommandLine& c)
{
    pfCallbackSettings settings = c.callbacks;
    if (const pfHostProfile* pProfile = ProfileOf(c)) {
        settings.bColorRefuse = pProfile->colorPicker == pfColorPicker::Refuses;
        settings.bColorKeep = pProfile->colorPicker == pfColorPicker::KeepsColor;
    }
    return settings;
}

intptr_t HostWindowHandle(const pfCommandLine& c, const pfHostWindow& window)
{
    const pfHostProfile* pProfile = ProfileOf(c);
    if (c.hostWindow == pfHostWindowKind::None || (pProfile && !pProfile->bHostWindow))
        return 0;
    return c.hostWindow == pfHostWindowKind::Stale ? pfHostWindow::StaleHandle() : window.GetHandle();
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
    options.pProfile = ProfileOf(c);
    // The native plug-in has no dialog, so nothing reads its output back.
#if !defined(_WIN32)
    options.bWriteInPlace = true;
#endif
    return options;
}

// The descriptor parameters of a run: the suites, the play option and the
// played-back descriptor, or nothing with --omit descriptor.
class Scripting {
public:
    Scripting(const pfCommandLine& c, pfHandleSuite& handles) : m_CommandLine(c), m_Suite(handles) {}

    void Prepare(pfHostRecord& record, const pfBatchPlayback& playback)
    {
        const pfHostProfile* pProfile = ProfileOf(m_CommandLine);
        const pfDescriptorShape shape = pProfile ? pProfile->descriptor : pfDescriptorShape::Full;
        if (shape == pfDescriptorShape::NullTables)
            record.SetDescriptorParameters(&m_NullTables);
        if (m_CommandLine.bOmitDescriptor || shape != pfDescriptorShape::Full)
            return;
        m_pParameters =
            std::make_unique<pfDescriptorParameters>(m_Suite, playback.GetPlayInfo(), playback.Get());
        record.SetDescriptorParameters(m_pParameters->Get());
    }

    bool GetRecorded(pfDescriptor& recorded) const { return m_pParameters && m_pParameters->GetRecorded(recorded); }

    // Says on standard error which played entries the plug-in did not take;
    // false if any.
    bool ReportUntaken(const pfBatchPlayback& playback) const
    {
        if (!playback.Get() || playback.GetSource().empty())
            return true;
        pfDescriptor recorded;
        const bool bRecorded = GetRecorded(recorded);
        const std::vector<std::string> lstUntaken =
            DescribeUntakenEntries(*playback.Get(), m_Suite.GetLastReads(), bRecorded ? &recorded : nullptr);
        for (const std::string& strEntry : lstUntaken)
            PrintErrorLine("corvhost: " + playback.GetSource() + ": the plug-in did not take " + strEntry);
        return lstUntaken.empty();
    }

    bool SaveRecording(std::string& strError) const
    {
        if (m_CommandLine.strRecord.empty())
            return true;
        pfDescriptor recorded;
        if (!GetRecorded(recorded)) {
            strError = "the plug-in recorded no descriptor; nothing saved to " + m_CommandLine.strRecord;
            return false;
        }
        return SaveScriptFile(m_CommandLine.strRecord, recorded, strError);
    }

private:
    const pfCommandLine& m_CommandLine;
    pfDescriptorSuite m_Suite;
    PIDescriptorParameters m_NullTables{}; // present, without procedures, playInfo 0
    std::unique_ptr<pfDescriptorParameters> m_pParameters;
};

// Returns the first non-zero selector result, or 0.
int16_t RunSelectors(const pfCommandLine& c, pfSelectorRunner& runner, intptr_t hwnd)
{
    if (c.bAbout)
        return runner.CallAbout(hwnd);
    if (c.lstSelectors.empty()) {
        int16_t nFirstFailure = 0;
        for (int i = 0; i < c.nRuns; ++i) {
            const int16_t nResult = runner.RunFilter();
            if (nFirstFailure == 0)
                nFirstFailure = nResult;
        }
        return nFirstFailure;
    }
    int16_t nFirstFailure = 0;
    for (const int16_t nSelector : c.lstSelectors) {
        const int16_t nResult = runner.Call(nSelector);
        if (nFirstFailure == 0)
            nFirstFailure = nResult;
    }
    return nFirstFailure;
}

// Hosts whose window stays usable during the dialog show it; ours keeps
// it hidden.
bool WindowTakesInput(const pfCommandLine& c)
{
    const pfHostProfile* pProfile = ProfileOf(c);
    return pProfile && pProfile->bWindowTakesInput;
}

// What lasts from file to file: the host's window, the dialog watcher, the
// loaded plug-in (whose settings live on between runs, as in any host) and
// the values to play back.
struct Session {
    explicit Session(const pfCommandLine& c) : window(WindowTakesInput(c)), watcher(c.strCaptureDir) {}

    pfHostWindow window;
    pfDialogWatcher watcher;
    pfPluginLoader loader;
    pfBatchPlayback playback;
    std::unique_ptr<pfUiDriver> pDriver; // drives the dialogs of the whole session
};

bool StartSession(const pfCommandLine& c, Session& session, std::string& strError)
{
    if (const pfHostProfile* pProfile = ProfileOf(c); pProfile && !pProfile->RunsInThisBitness()) {
        strError = pProfile->strName + " exists only as a " + std::to_string(pProfile->nBits) +
                   "-bit host: run it with the " + std::to_string(pProfile->nBits) + "-bit corvhost";
        return false;
    }
    if (!CheckPlatformOptions(c, strError) || !ApplyLogfileOption(c, strError) ||
        !session.playback.Load(c.strPlay, c.nPlayInfo, strError))
        return false;
    if (c.bDialogEveryFile)
        session.playback.AskEveryFile();
    ApplyThreadsOption(c);
    if (c.bAnswerDialogs && !session.watcher.Start(strError))
        return false;
    std::vector<pfUiStep> steps;
    if (!c.strUiScript.empty() && !LoadUiScript(c.strUiScript, steps, strError))
        return false;
    const std::string strPlugin = c.strPlugin.empty() ? DefaultPluginPath() : c.strPlugin;
    if (!session.loader.Load(strPlugin, c.strEntry, strError))
        return false;
    if (c.strUiScript.empty())
        return true;
    session.pDriver = std::make_unique<pfUiDriver>(std::move(steps), session.window.GetHandle());
    return session.pDriver->Start(strError);
}

// Points the dialog driver's sync at a window of the calling thread while
// the filter is called there.
class pfSyncOnThisThread {
public:
    explicit pfSyncOnThisThread(pfUiDriver* pDriver) : m_pDriver(pDriver)
    {
        if (m_pDriver)
            m_pDriver->SetSyncWindow(m_Window.GetHandle());
    }
    ~pfSyncOnThisThread()
    {
        if (m_pDriver)
            m_pDriver->SetSyncWindow(0);
    }
    pfSyncOnThisThread(const pfSyncOnThisThread&) = delete;
    pfSyncOnThisThread& operator=(const pfSyncOnThisThread&) = delete;

private:
    const pfHostWindow m_Window;
    pfUiDriver* m_pDriver;
};

// The selectors on the thread the profile's host calls them on, with the
// host's window marked as busy meanwhile.
int16_t CallFilter(const pfCommandLine& c, pfSelectorRunner& runner, Session& session)
{
    const pfFilterCalling calling(session.window);
    const intptr_t hwnd = session.window.GetHandle();
    const pfHostProfile* pProfile = ProfileOf(c);
    if (!pProfile || !pProfile->bWorkerThread)
        return RunSelectors(c, runner, hwnd);
    return CallOnFilterThread([&] {
        const pfSyncOnThisThread sync(session.pDriver.get());
        return RunSelectors(c, runner, hwnd);
    });
}

pfFileResult FailFile(const std::string& strMessage)
{
    return {Fail(strMessage), false};
}

// A batch says on standard output and in progress lines only what --verbose
// asks for; a single run, the test bench, says everything.
bool IsTalkative(const pfCommandLine& c)
{
    return !c.IsBatch() || c.bVerbose;
}

// One run of the plug-in over one input.
pfFileResult RunFile(const pfCommandLine& c, const pfBatchFile& file, Session& session, const pfPercentSink& onPercent)
{
    std::string strError;
    pfLoadedDocument input;
    if (!LoadDocument({file.strInput, c.strMask, c.document, c.bModeGiven, c.bByteMask}, input, strError))
        return FailFile(strError);

    pfCallbacks::Get().Settings() = CallbackSettings(c);
    pfCallbacks::Get().Settings().bShowProgress = c.callbacks.bShowProgress && IsTalkative(c);
    pfCallbacks::Get().Settings().onPercent = onPercent;
    pfCallbacks::Get().ResetCounters();
    pfHandleSuite handles;
    pfHostRecord record(input.document, input.mask ? &*input.mask : nullptr, RecordOptions(c, input.format),
                        handles);
    record.SetPlatformWindow(HostWindowHandle(c, session.window));
    Scripting scripting(c, handles);
    scripting.Prepare(record, session.playback);

    pfSelectorRunner runner(session.loader, record, input.document);
    runner.ShowRequests(c.bShowRequests);
    runner.ShowResults(IsTalkative(c));
    runner.UseProfile(ProfileOf(c));
    const int16_t nResult = CallFilter(c, runner, session);
    const bool bSave = !runner.IsDocumentSpoiled();
    if (!bSave)
        PrintErrorLine("corvhost: " + file.strInput + ": the run failed part way through the image; no output written");
    if ((bSave && !SaveDocument(input, file.strOutput, file.strPlanePrefix, c.write, strError)) ||
        !scripting.SaveRecording(strError))
        return FailFile(strError);
    // The artist could not use the host again.
    if (!session.window.IsEnabled())
        return FailFile("the plug-in left the host window disabled");
    const bool bAllTaken = scripting.ReportUntaken(session.playback);
    if (nResult != noErr) {
        PrintErrorLine("corvhost: a selector returned " + std::to_string(nResult) + "; exit status " +
                       std::to_string(kExitSelectorFailed));
        return {kExitSelectorFailed, nResult == userCanceledErr};
    }
    if (pfDescriptor recorded; scripting.GetRecorded(recorded))
        session.playback.Adopt(recorded);
    return {bAllTaken ? 0 : kExitUsage, false};
}

// Memory that runs out despite the checks ends the file, not the host.
pfFileResult RunFileSafely(const pfCommandLine& c, const pfBatchFile& file, Session& session,
                           const pfPercentSink& onPercent = {})
{
    try {
        return RunFile(c, file, session, onPercent);
    } catch (const std::bad_alloc&) {
        return FailFile((file.strInput.empty() ? std::string("the run") : file.strInput) + ": out of memory");
    }
}

pfBatchOutput BatchOutput(const pfCommandLine& c)
{
    if (c.bQuiet)
        return pfBatchOutput::Quiet;
    return IsErrorTerminal() && !c.bVerbose ? pfBatchOutput::Terminal : pfBatchOutput::Lines;
}

int RunHost(const pfCommandLine& c)
{
    std::string strError;
    Session session(c);
    std::vector<pfBatchFile> files;
    if (!c.IsBatch())
        files.push_back({c.strInput, c.strOutput, c.strPlanePrefix});
    else if (!PlanBatch(c.lstInputs, c.strOutputPattern, c.strPlanePrefix, files, strError) ||
             !CreateOutputFolders(files, strError))
        return Fail(strError);
    if (!StartSession(c, session, strError))
        return Fail(strError);
    const int nStatus = !c.IsBatch() ? RunFileSafely(c, files.front(), session).nExitStatus
                                     : RunBatch(
                                           files,
                                           [&](const pfBatchFile& file, const pfPercentSink& onPercent) {
                                               return RunFileSafely(c, file, session, onPercent);
                                           },
                                           BatchOutput(c));
    // A dialog script that failed says so above everything else.
    if (session.pDriver && !session.pDriver->Finish())
        return kExitDialogScript;
    return nStatus;
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
    if (commandLine.strHostProfile == "list") {
        std::cout << HostProfileList();
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
