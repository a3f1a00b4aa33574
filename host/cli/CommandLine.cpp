#include "CommandLine.h"

#include "host/profiles/HostProfile.h"

#include "host/text/MessageText.h"
#include "host/dialogdriver/UiScript.h"
#include "ScriptFile.h"

#include <functional>
#include <map>

namespace {

bool ParseInteger(const std::string& strText, long nMin, long nMax, long& nValue)
{
    if (strText.empty())
        return false;
    std::size_t nUsed = 0;
    try {
        nValue = std::stol(strText, &nUsed, 10);
    } catch (const std::exception&) {
        return false;
    }
    return nUsed == strText.size() && nValue >= nMin && nValue <= nMax;
}

bool ParseColor(const std::string& strText, uint8_t (&color)[3])
{
    std::size_t nStart = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t nComma = strText.find(',', nStart);
        if ((i < 2) == (nComma == std::string::npos))
            return false;
        long nValue = 0;
        if (!ParseInteger(strText.substr(nStart, nComma - nStart), 0, 255, nValue))
            return false;
        color[i] = uint8_t(nValue);
        nStart = nComma + 1;
    }
    return true;
}

bool Omit(const std::string& strName, pfCommandLine& c)
{
    const std::map<std::string, bool*> services = {
        {"advanceState", &c.bOmitAdvanceState}, {"displayPixels", &c.bOmitDisplayPixels},
        {"progressProc", &c.bOmitProgress},     {"colorServices", &c.bOmitColorServices},
        {"descriptor", &c.bOmitDescriptor},     {"handleProcs", &c.bOmitHandleProcs}};
    const auto it = services.find(strName);
    if (it == services.end())
        return false;
    *it->second = true;
    return true;
}

// show and dontshow are the short spellings of display and dont-display.
bool PlayOption(const std::string& strName, int16_t& nPlayInfo)
{
    const std::string strLong = strName == "show" ? "display" : strName == "dontshow" ? "dont-display" : strName;
    return ParsePlayOption(strLong, nPlayInfo);
}

using ValueHandler = std::function<bool(const std::string&, pfCommandLine&)>;
using FlagHandler = std::function<void(pfCommandLine&)>;

const std::map<std::string, FlagHandler>& Flags()
{
    static const std::map<std::string, FlagHandler> flags = {
        {"--help", [](pfCommandLine& c) { c.bHelp = true; }},
        {"-h", [](pfCommandLine& c) { c.bHelp = true; }},
        {"--layer", [](pfCommandLine& c) { c.document.bLayer = true; }},
        {"--mask-8bit", [](pfCommandLine& c) { c.bByteMask = true; }},
        {"--old-host", [](pfCommandLine& c) { c.bOldHost = true; }},
        {"--color-cancel", [](pfCommandLine& c) { c.callbacks.bColorCancel = true; }},
        {"--quiet",
         [](pfCommandLine& c) {
             c.bQuiet = true;
             c.callbacks.bShowProgress = false;
         }},
        {"--verbose", [](pfCommandLine& c) { c.bVerbose = true; }},
        {"--dialog-every-file", [](pfCommandLine& c) { c.bDialogEveryFile = true; }},
        {"--about", [](pfCommandLine& c) { c.bAbout = true; }},
        {"--show-requests", [](pfCommandLine& c) { c.bShowRequests = true; }},
        {"--no-logfile", [](pfCommandLine& c) { c.bNoLogfile = true; }},
        {"--answer-dialogs", [](pfCommandLine& c) { c.bAnswerDialogs = true; }},
    };
    return flags;
}

const std::map<std::string, ValueHandler>& ValueOptions()
{
    static const std::map<std::string, ValueHandler> options = {
        {"--plugin", [](const std::string& v, pfCommandLine& c) { c.strPlugin = v; return !v.empty(); }},
        {"--entry", [](const std::string& v, pfCommandLine& c) { c.strEntry = v; return !v.empty(); }},
        {"--list-pipl", [](const std::string& v, pfCommandLine& c) { c.strListPipl = v; return !v.empty(); }},
        {"--mode",
         [](const std::string& v, pfCommandLine& c) {
             c.bModeGiven = true;
             return ParseHostMode(v, c.document.mode);
         }},
        {"--planes",
         [](const std::string& v, pfCommandLine& c) {
             long n = 0;
             c.document.nMultichannelPlanes = ParseInteger(v, 1, 24, n) ? int(n) : 0;
             return n != 0;
         }},
        {"--mask", [](const std::string& v, pfCommandLine& c) { c.strMask = v; return !v.empty(); }},
        {"--omit", [](const std::string& v, pfCommandLine& c) { return Omit(v, c); }},
        {"--color", [](const std::string& v, pfCommandLine& c) { return ParseColor(v, c.callbacks.color); }},
        {"--abort-after",
         [](const std::string& v, pfCommandLine& c) {
             long n = 0;
             c.callbacks.nAbortAfter = ParseInteger(v, 0, INT32_MAX, n) ? int32_t(n) : -1;
             return c.callbacks.nAbortAfter >= 0;
         }},
        {"--threads",
         [](const std::string& v, pfCommandLine& c) {
             long n = 0;
             c.nThreads = ParseInteger(v, 1, 64, n) ? int32_t(n) : 0;
             return c.nThreads > 0;
         }},
        {"--selector",
         [](const std::string& v, pfCommandLine& c) {
             long n = 0;
             if (!ParseInteger(v, INT16_MIN, INT16_MAX, n))
                 return false;
             c.lstSelectors.push_back(int16_t(n));
             return true;
         }},
        {"--plane-files", [](const std::string& v, pfCommandLine& c) { c.strPlanePrefix = v; return !v.empty(); }},
        {"--quality",
         [](const std::string& v, pfCommandLine& c) {
             long n = 0;
             c.write.nJpegQuality = ParseInteger(v, 1, 100, n) ? int(n) : 0;
             return n != 0;
         }},
        {"--output-dir",
         [](const std::string& v, pfCommandLine& c) {
             c.strOutputPattern = v + "/" + kOutputNameField + "." + kOutputExtensionField;
             return !v.empty() && v.find(kOutputNameField) == std::string::npos;
         }},
        {"--output", [](const std::string& v, pfCommandLine& c) { c.strOutputPattern = v; return !v.empty(); }},
        {"--record", [](const std::string& v, pfCommandLine& c) { c.strRecord = v; return !v.empty(); }},
        {"--host-profile",
         [](const std::string& v, pfCommandLine& c) {
             c.strHostProfile = v;
             return v == "list" || FindHostProfile(v) != nullptr;
         }},
        {"--play", [](const std::string& v, pfCommandLine& c) { c.strPlay = v; return !v.empty(); }},
        {"--play-option", [](const std::string& v, pfCommandLine& c) { return PlayOption(v, c.nPlayInfo); }},
        {"--logfile",
         [](const std::string& v, pfCommandLine& c) {
             c.bLogfileGiven = true;
             c.strLogfile = v;
             return !v.empty();
         }},
        {"--runs",
         [](const std::string& v, pfCommandLine& c) {
             long n = 0;
             c.nRuns = ParseInteger(v, 1, 100, n) ? int(n) : 0;
             return c.nRuns > 0;
         }},
        {"--host-window",
         [](const std::string& v, pfCommandLine& c) {
             c.hostWindow = v == "none"    ? pfHostWindowKind::None
                            : v == "stale" ? pfHostWindowKind::Stale
                                           : pfHostWindowKind::Normal;
             return v == "none" || v == "stale" || v == "normal";
         }},
        {"--ui-script", [](const std::string& v, pfCommandLine& c) { c.strUiScript = v; return !v.empty(); }},
        {"--capture-dialogs",
         [](const std::string& v, pfCommandLine& c) {
             c.strCaptureDir = v;
             c.bAnswerDialogs = true;
             return !v.empty();
         }},
    };
    return options;
}

bool CheckBatch(const pfCommandLine& c, std::string& strError)
{
    const bool bSeveral = c.lstInputs.size() > 1;
    if (c.lstInputs.empty())
        strError = "--output-dir and --output need at least one input file";
    else if (c.bAbout)
        strError = "--about takes no input files";
    else if (c.bQuiet && c.bVerbose)
        strError = "--quiet and --verbose exclude each other";
    else if (bSeveral && c.strOutputPattern.find(kOutputNameField) == std::string::npos)
        strError = std::string("--output needs ") + kOutputNameField + " with several inputs";
    else if (bSeveral && !c.strPlanePrefix.empty() && c.strPlanePrefix.find(kOutputNameField) == std::string::npos)
        strError = std::string("--plane-files needs ") + kOutputNameField + " with several inputs";
    else
        return true;
    return false;
}

bool CheckCombination(const pfCommandLine& c, std::string& strError)
{
    if (c.bHelp || !c.strListPipl.empty() || c.strHostProfile == "list")
        return true;
    if (c.IsBatch())
        return CheckBatch(c, strError);
    if (c.strInput.empty() && !c.bAbout)
        strError = "an input PNG is required (see --help)";
    else if (c.bAbout && !c.lstSelectors.empty())
        strError = "--about and --selector exclude each other";
    else if (c.bLogfileGiven && c.bNoLogfile)
        strError = "--logfile and --no-logfile exclude each other";
    else if (c.nRuns > 1 && (c.bAbout || !c.lstSelectors.empty()))
        strError = "--runs repeats whole filter runs: not with --about or --selector";
    else if (c.bAnswerDialogs && !c.strUiScript.empty())
        strError = "--ui-script and --answer-dialogs exclude each other";
    else if (!c.strMask.empty() && c.strInput.empty())
        strError = "--mask needs an input PNG";
    else if (c.bOmitDescriptor && (!c.strRecord.empty() || !c.strPlay.empty()))
        strError = "--record and --play need the descriptor suites (drop --omit descriptor)";
    else
        return true;
    return false;
}

} // namespace

bool ParseCommandLine(const std::vector<std::string>& lstArgs, pfCommandLine& commandLine, std::string& strError)
{
    std::vector<std::string> lstPositional;
    for (std::size_t i = 0; i < lstArgs.size(); ++i) {
        const std::string& strArg = lstArgs[i];
        if (const auto itFlag = Flags().find(strArg); itFlag != Flags().end()) {
            itFlag->second(commandLine);
            continue;
        }
        if (const auto itOption = ValueOptions().find(strArg); itOption != ValueOptions().end()) {
            if (i + 1 == lstArgs.size()) {
                strError = strArg + " needs a value";
                return false;
            }
            if (!itOption->second(lstArgs[++i], commandLine)) {
                strError = "invalid value for " + strArg + ": \"" + ReadableText(lstArgs[i]) + "\"";
                return false;
            }
            continue;
        }
        if (strArg.size() > 1 && strArg[0] == '-') {
            strError = "unknown option " + ReadableText(strArg);
            return false;
        }
        lstPositional.push_back(strArg);
    }
    if (commandLine.IsBatch()) {
        commandLine.lstInputs = lstPositional;
        return CheckCombination(commandLine, strError);
    }
    if (lstPositional.size() > 2) {
        strError = "at most an input and an output file may be given (several inputs need --output-dir)";
        return false;
    }
    if (!lstPositional.empty())
        commandLine.strInput = lstPositional[0];
    if (lstPositional.size() == 2)
        commandLine.strOutput = lstPositional[1];
    return CheckCombination(commandLine, strError);
}

std::string HelpText()
{
    return R"(corvhost - runs a filter plug-in over a PNG, JPEG or TIFF image the way a
Photoshop-compatible host does: parameters, prepare, start, continue while
data are requested, finish.

Usage:
  corvhost [options] INPUT [OUTPUT]
  corvhost [options] --output-dir DIR INPUT...
  corvhost [options] --output PATTERN INPUT...
  corvhost --about [options]
  corvhost --list-pipl PLUGIN.8bf

Plug-in:
  --plugin FILE          the plug-in to load (Windows host; default CorvaneII.8bf
                         next to corvhost.exe). The native host runs the filter
                         linked into it and refuses this option.
  --entry NAME           exported entry point to call (Windows; default ENTRYPOINT)

Document:
  INPUT                  a PNG, JPEG or TIFF, known by its first bytes. PNG:
                         grey, grey + alpha, RGB, RGBA or palette, 1 to 16 bits,
                         interlaced or not; a transparent colour (tRNS) becomes
                         alpha, and depths below 8 bits read as 8-bit. Files
                         whose checksums fail are refused. JPEG: 8-bit grey or
                         colour. TIFF: one image of 8 or 16 bits, grey, grey +
                         alpha, RGB or RGBA, in strips, uncompressed, LZW,
                         Deflate or PackBits. Damaged files are refused.
  --mode MODE            grey, rgb, multichannel, cmyk, lab or indexed (default
                         grey for grey PNGs, rgb otherwise). A 16-bit PNG gives the
                         16-bit mode; indexed documents are always 8-bit. Colour
                         planes take the PNG's colour channels cyclically.
  --planes N             colour planes of a multichannel document, 1-24 (default 3)
  --layer                a layer with a transparency plane after the colour planes
                         (the PNG's alpha, or opaque), filter case 4 or 5.
                         Default: a flat image whose colour planes are layer
                         planes, no transparency, filter case 1 or 2.
  --old-host             leave every in/out/abs plane count at 0
  --mask FILE.png        selection mask of the image's size, first channel, white
                         = selected (haveMask, filter case 2 or 5); delivered
                         one byte per pixel (0..255) at every depth, as hosts
                         send masks
  --mask-8bit            the same (kept for older scripts)

Host services:
  --host-window KIND     (Windows) the main window platformData names: normal
                         (default), none (a null handle) or stale (a window
                         that no longer exists)
  --omit NAME            leave a service out of the record: advanceState,
                         displayPixels, progressProc, colorServices, descriptor,
                         handleProcs (repeatable)
  --color R,G,B          colour the colour picker answers with (default 255,0,0)
  --host-profile NAME    behave as a real host does (record, services, call
                         sequence; docs/hosts.md); "list" names them
  --color-cancel         the colour picker answers -128 (cancelled)
  --abort-after N        abortProc answers true once progress was reported N times
  --quiet                no "progress N%" lines on standard error; a batch
                         tells only errors and its summary
  --threads N            at most N render threads in the plug-in, 1-64 (sets
                         CORVANE_THREADS, which the plug-in reads; default:
                         one per processor). 1 renders on the host's thread,
                         where our host then also copies image data.

Selectors:
  --about                call the about selector only, with an AboutRecord
  --selector N           call selector N with the filter record instead of a
                         whole run; repeatable, called in the order given
  --show-requests        print the rectangles each selector left requested
  --runs N               run the filter N times over the document, the plug-in
                         kept loaded (as a host applying it again); default 1

Output:
  OUTPUT                 written after the run, also after a failed one (the
                         document is then reverted to the input): JPEG for
                         .jpg and .jpeg, TIFF (Deflate) for .tif and .tiff, PNG
                         for any other name. The input's colour profile, EXIF
                         and XMP data go with it. Same bit depth as INPUT (JPEG:
                         8 bits; it takes no alpha); RGB of the first three planes when the
                         document has three or more colour planes, grey
                         otherwise; alpha from the transparency plane, or the
                         input's alpha unchanged.
  --plane-files PREFIX   also write plane i as the grey PNG PREFIXi.png
  --quality N            JPEG quality, 1-100 (default 92; from 90 up colour is
                         kept at full resolution)

Batch (several inputs in one call):
  --output-dir DIR       write each INPUT as DIR/NAME.EXT, NAME being the
                         input's file name without its extension and EXT its
                         extension (png, jpg, jpeg, tif or tiff; png for any
                         other); DIR is created if need be
  --output PATTERN       write each INPUT to PATTERN with {name} replaced by
                         NAME and {ext} by EXT, e.g. "out/{name}-dots.png";
                         --plane-files may use {name} too
  --verbose              also the selector and progress lines of a single run
  --dialog-every-file    show the dialog for every file, starting from the
                         values the file before accepted
                         The files run one after another; a file that cannot
                         be read or written is named and the batch goes on. A
                         line "[i/n] INPUT -> OUTPUT" (or "[i/n] INPUT failed")
                         on standard error follows each file, a summary the
                         last; on a terminal one line redrawn in place shows
                         each file's number, name and percentage instead. The plug-in is loaded once. The first run uses
                         the --play file and play option; its recorded values
                         then play back for every further file, without the
                         dialog when the option was show, so a dialog asks
                         once for the whole batch. Cancelling (the dialog, or
                         an abort) ends the batch.

Scripting (descriptor text files: one "KEY TYPE VALUE" line per entry,
e.g. "GAMA float 1.5"; TYPE integer, float or boolean; '#' starts a comment):
  --record FILE          save the descriptor the plug-in left in the record
                         after the run as text
  --play FILE            hand the plug-in the descriptor in FILE
  --play-option OPT      the play option handed with it: show (or display),
                         dontshow (or dont-display) or silent; default show

Diagnostics:
  --logfile PATH         set the plug-in's "logfile" setting before loading it
                         (Windows: HKCU\SOFTWARE\Veskary\Photoshop\CorvaneII,
                         value "logfile"; native: the linked filter's settings)
  --no-logfile           remove that value
  --answer-dialogs       (Windows) print each dialog the plug-in opens as
                         dialog "CAPTION": TEXT | TEXT
                         and press its default button
  --capture-dialogs DIR  (Windows) also save each dialog as DIR\dialog-N.png
  --ui-script FILE       (Windows) drive the plug-in's dialog with the steps in
                         FILE (see "Dialog scripts" below)
  --list-pipl FILE       print the plug-in property lists of FILE and exit
  --help                 this text

16-bit samples travel in 0..32768: a PNG value v becomes round(v*32768/65535)
and a host value h is written as round(h*65535/32768), halves rounding up, in
exact integer arithmetic; every host value survives the round trip.

Standard output has one line "selector N result R" per selector call (in a
batch only with --verbose); with
--show-requests it is preceded by "selector N request in T,L,B,R out T,L,B,R
mask T,L,B,R", the rectangles the plug-in left requested.
An entry of the --play file that the plug-in did not take (a key it does
not read, a value of the wrong type, a value it refused) is named on
standard error; the output is still written, the exit status is 2.

Exit status: 0 when every selector returned 0; 1 when a selector returned
anything else (the first such result is named on standard error); 2 for
usage, file and loading errors, files too large for memory, and settings not
taken; 3 when a dialog script failed. In batch mode the highest status of
any file (0 when all succeeded).

)" + UiScriptHelp();
}
