// cli/ holds the command line: its options, single runs, batches and settings files.
// The host's command line: every option, its parsing and the help text.
#pragma once

#include "host/record/Callbacks.h"
#include "host/document/DocumentFormat.h"
#include "host/imagefiles/ImageFiles.h"

#include <cstdint>
#include <string>
#include <vector>

// What platformData hands the plug-in as the host's main window.
enum class pfHostWindowKind { Normal, None, Stale };

// Where each input's output goes in batch mode: {name} stands for the
// input's file name without its extension.
constexpr const char* kOutputNameField = "{name}";
// ... and {ext} for the input's extension (png, jpg, jpeg, tif or tiff, in
// lower case; png for any other).
constexpr const char* kOutputExtensionField = "{ext}";

struct pfCommandLine {
    bool bHelp = false;
    std::string strInput;
    std::string strOutput;
    // Batch mode (--output-dir or --output): every input and the pattern.
    std::vector<std::string> lstInputs;
    std::string strOutputPattern;
    bool IsBatch() const { return !strOutputPattern.empty(); }
    bool bVerbose = false; // batch: selector and progress lines as for a single file
    bool bDialogEveryFile = false; // batch: the dialog asks again for every file
    bool bQuiet = false;   // no progress lines; a batch tells only errors and its summary
    pfWriteOptions write;
    std::string strPlanePrefix;
    std::string strMask;
    bool bByteMask = true; // 8-bit mask samples whatever the document's depth, as hosts send them
    std::string strPlugin;
    std::string strEntry = "ENTRYPOINT";
    std::string strListPipl;

    bool bModeGiven = false;
    pfDocumentOptions document;
    bool bOldHost = false;

    bool bOmitAdvanceState = false;
    bool bOmitDisplayPixels = false;
    bool bOmitProgress = false;
    bool bOmitColorServices = false;
    bool bOmitDescriptor = false;
    bool bOmitHandleProcs = false;
    pfCallbackSettings callbacks;

    int32_t nThreads = 0; // render threads the plug-in may use; 0: its own choice

    bool bAbout = false;
    bool bShowRequests = false;
    std::vector<int16_t> lstSelectors;
    int nRuns = 1; // whole filter runs, one after the other, the library kept loaded
    pfHostWindowKind hostWindow = pfHostWindowKind::Normal;
    std::string strHostProfile; // a real host's ways (or "list"); empty: ours

    std::string strRecord;
    std::string strPlay;
    int16_t nPlayInfo = 1; // show the dialog, as a menu command does

    bool bLogfileGiven = false;
    std::string strLogfile;
    bool bNoLogfile = false;
    bool bAnswerDialogs = false;
    std::string strCaptureDir;
    std::string strUiScript;
};

// False with a message for anything malformed.
bool ParseCommandLine(const std::vector<std::string>& lstArgs, pfCommandLine& commandLine, std::string& strError);

std::string HelpText();
