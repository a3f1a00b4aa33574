// Batch mode: several inputs in one call, each written where the output
// pattern says. Files run one after another; a file that fails is named and
// the rest still run, unless the user cancelled. One line per file tells
// how it went, a last line how many succeeded.
#pragma once

#include "host/record/DescriptorSuite.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct pfBatchFile {
    std::string strInput;
    std::string strOutput;
    std::string strPlanePrefix; // empty: no plane files
};

// The pattern with every {name} replaced by the input's file name without
// its extension.
std::string ExpandOutputName(const std::string& strPattern, const std::string& strInput);

// Each input's output and plane-file prefix. False when two inputs would
// write the same file or an output would replace an input.
bool PlanBatch(const std::vector<std::string>& lstInputs, const std::string& strOutputPattern,
               const std::string& strPlanePattern, std::vector<pfBatchFile>& files, std::string& strError);

// Creates the folders the outputs go into.
bool CreateOutputFolders(const std::vector<pfBatchFile>& files, std::string& strError);

// What became of one file: its exit status (0, 1 or 2, as for a single
// run) and whether the user cancelled, which ends the batch.
struct pfFileResult {
    int nExitStatus = 0;
    bool bCancelled = false;
};

// How the batch tells its progress on standard error: a line per file; on
// a terminal, one line redrawn in place with the file's number, name and
// percentage (failures keep their line); or nothing but the errors and the
// summary.
enum class pfBatchOutput { Lines, Terminal, Quiet };

// runFile runs one file and tells its percentage done to the function it
// is handed.
using pfPercentSink = std::function<void(int nPercent)>;
using pfFileRunner = std::function<pfFileResult(const pfBatchFile&, const pfPercentSink&)>;

// Runs every file; the exit status is 0 when all succeeded, else the
// highest status of any file (2 over 1).
int RunBatch(const std::vector<pfBatchFile>& files, const pfFileRunner& runFile,
             pfBatchOutput output = pfBatchOutput::Lines);

// The descriptor each run plays back. The first run gets the settings file
// (if any) with the chosen play option; once a run has succeeded, the values
// the plug-in recorded there play back, without the dialog where it was to
// be shown, so that a batch asks once and treats every file alike.
class pfBatchPlayback {
public:
    // strPath empty: nothing to play at first.
    bool Load(const std::string& strPath, int16_t nPlayInfo, std::string& strError);

    const pfDescriptor* Get() const { return m_bPlaying ? &m_Descriptor : nullptr; }
    int16_t GetPlayInfo() const { return m_nPlayInfo; }
    // The settings file being played; empty once recorded values replace it.
    const std::string& GetSource() const { return m_strSource; }

    void Adopt(const pfDescriptor& recorded);
    // Adopted values keep the dialog showing.
    void AskEveryFile() { m_bAskEveryFile = true; }

private:
    pfDescriptor m_Descriptor;
    bool m_bPlaying = false;
    int16_t m_nPlayInfo = plugInDialogDisplay;
    bool m_bAskEveryFile = false;
    std::string m_strSource;
};
