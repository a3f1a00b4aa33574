#include "Batch.h"

#include "CommandLine.h"
#include "host/text/Console.h"
#include "host/imagefiles/FileAccess.h"
#include "ScriptFile.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// One spelling per file, so that "a.png" and "./a.png" meet.
std::string Normalised(const std::string& strPath)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::u8path(strPath), error);
    if (error)
        return fs::u8path(strPath).lexically_normal().u8string();
    const fs::path canonical = fs::weakly_canonical(absolute, error);
    return (error ? absolute : canonical).lexically_normal().u8string();
}

std::string Counter(std::size_t nIndex, std::size_t nCount)
{
    return "[" + std::to_string(nIndex + 1) + "/" + std::to_string(nCount) + "] ";
}

std::string ReplaceField(const std::string& strPattern, const std::string& strField, const std::string& strValue)
{
    std::string strName = strPattern;
    for (std::size_t nAt = strName.find(strField); nAt != std::string::npos;
         nAt = strName.find(strField, nAt + strValue.size()))
        strName.replace(nAt, strField.size(), strValue);
    return strName;
}

// An input's extension when it names an image format the host writes, so
// that photographs stay in their format; png otherwise.
std::string ImageExtension(const std::string& strInput)
{
    const std::string strExtension = ExtensionOf(strInput);
    for (const char* pKnown : {".png", ".jpg", ".jpeg", ".tif", ".tiff"}) {
        if (strExtension == pKnown)
            return strExtension.substr(1);
    }
    return "png";
}

} // namespace

std::string ExpandOutputName(const std::string& strPattern, const std::string& strInput)
{
    return ReplaceField(ReplaceField(strPattern, kOutputNameField, StemOf(strInput)), kOutputExtensionField,
                        ImageExtension(strInput));
}

bool PlanBatch(const std::vector<std::string>& lstInputs, const std::string& strOutputPattern,
               const std::string& strPlanePattern, std::vector<pfBatchFile>& files, std::string& strError)
{
    std::map<std::string, std::string> inputs; // normalised -> as given
    for (const std::string& strInput : lstInputs)
        inputs.emplace(Normalised(strInput), strInput);
    std::map<std::string, std::string> writers; // normalised output -> input
    std::vector<pfBatchFile> planned;
    for (const std::string& strInput : lstInputs) {
        pfBatchFile file{strInput, ExpandOutputName(strOutputPattern, strInput),
                         strPlanePattern.empty() ? std::string() : ExpandOutputName(strPlanePattern, strInput)};
        const std::string strKey = Normalised(file.strOutput);
        if (const auto itInput = inputs.find(strKey); itInput != inputs.end()) {
            strError = file.strOutput + " would replace the input " + itInput->second;
            return false;
        }
        if (const auto [itWriter, bNew] = writers.emplace(strKey, strInput); !bNew) {
            strError = itWriter->second + " and " + strInput + " would both be written to " + file.strOutput;
            return false;
        }
        planned.push_back(std::move(file));
    }
    files = std::move(planned);
    return true;
}

bool CreateOutputFolders(const std::vector<pfBatchFile>& files, std::string& strError)
{
    for (const pfBatchFile& file : files) {
        for (const std::string& strPath : {file.strOutput, file.strPlanePrefix}) {
            const fs::path folder = fs::u8path(strPath).parent_path();
            std::error_code error;
            if (!folder.empty() && !fs::create_directories(folder, error) && error) {
                strError = folder.u8string() + ": cannot create the folder (" + error.message() + ")";
                return false;
            }
        }
    }
    return true;
}

int RunBatch(const std::vector<pfBatchFile>& files, const pfFileRunner& runFile, pfBatchOutput output)
{
    int nExitStatus = 0;
    std::vector<std::string> lstFailed;
    std::size_t nDone = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const pfBatchFile& file = files[i];
        const std::string strCounter = Counter(i, files.size());
        const auto showPercent = [&](int nPercent) {
            ShowStatusLine(strCounter + file.strInput + " " + std::to_string(nPercent) + "%");
        };
        if (output == pfBatchOutput::Terminal)
            showPercent(0);
        const pfFileResult result = runFile(file, output == pfBatchOutput::Terminal ? showPercent : pfPercentSink());
        nExitStatus = std::max(nExitStatus, result.nExitStatus);
        if (result.nExitStatus == 0) {
            ++nDone;
            if (output == pfBatchOutput::Lines)
                PrintErrorLine(strCounter + file.strInput + " -> " + file.strOutput);
            continue;
        }
        lstFailed.push_back(file.strInput);
        if (output != pfBatchOutput::Quiet)
            PrintErrorLine(strCounter + file.strInput + " failed");
        if (result.bCancelled) {
            std::string strSkipped;
            for (std::size_t j = i + 1; j < files.size(); ++j)
                strSkipped += (j == i + 1 ? "; not processed: " : ", ") + files[j].strInput;
            PrintErrorLine("corvhost: cancelled" + strSkipped);
            break;
        }
    }
    ShowStatusLine("");
    std::string strSummary = "corvhost: " + std::to_string(nDone) + " of " + std::to_string(files.size()) +
                             " files done";
    for (std::size_t i = 0; i < lstFailed.size(); ++i)
        strSummary += (i == 0 ? "; failed: " : ", ") + lstFailed[i];
    PrintErrorLine(strSummary);
    return nExitStatus;
}

bool pfBatchPlayback::Load(const std::string& strPath, int16_t nPlayInfo, std::string& strError)
{
    m_nPlayInfo = nPlayInfo;
    m_strSource = strPath;
    m_bPlaying = !strPath.empty() && LoadScriptFile(strPath, m_Descriptor, strError);
    return strPath.empty() || m_bPlaying;
}

void pfBatchPlayback::Adopt(const pfDescriptor& recorded)
{
    m_Descriptor = recorded;
    m_bPlaying = true;
    m_strSource.clear();
    if (m_nPlayInfo == plugInDialogDisplay && !m_bAskEveryFile)
        m_nPlayInfo = plugInDialogDontDisplay;
}
