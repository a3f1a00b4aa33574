#include "PresetsStorage.h"

#include "framework/platform/Platform.h"
#include "framework/trace/Trace.h"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

pfFileRead ReadWholeFile(const std::string& strPath, std::string& strText)
{
    strText.clear();
    errno = 0;
    FilePtr pFile(std::fopen(strPath.c_str(), "rb"));
    if (!pFile)
        return errno == ENOENT ? pfFileRead::Missing : pfFileRead::Failed;
    char buffer[4096];
    std::size_t nRead = 0;
    while ((nRead = std::fread(buffer, 1, sizeof(buffer), pFile.get())) > 0)
        strText.append(buffer, nRead);
    if (std::ferror(pFile.get())) {
        strText.clear();
        return pfFileRead::Failed;
    }
    return pfFileRead::Ok;
}

bool ReplaceWholeFile(const std::string& strPath, const std::string& strText)
{
    pfPlatform& platform = GetPlatform();
    // Through a symbolic link the file it leads to is replaced; the link stays.
    const std::string strTarget = platform.ResolveFileLinks(strPath);
    if (strTarget.empty()) {
        PF_TRACE_WARNING_LINE("Could not open file for writing: '" << strPath << "'");
        return false;
    }
    const std::string strTempPath = strTarget + "tmp";
    std::unique_ptr<pfOutputFile> pFile = platform.CreateOutputFile(strTempPath);
    if (!pFile) {
        PF_TRACE_WARNING_LINE("Could not open file for writing: '" << strTempPath << "'");
        return false;
    }
    // On the disk before it takes the old file's place, so that a power loss
    // leaves the old file or the new one, never an empty one. Buffered data
    // can still fail to arrive at the flush or the close.
    bool bWritten = pFile->Write(strText) && pFile->FlushToDisk();
    bWritten = pFile->Close() && bWritten;
    if (!bWritten)
        PF_TRACE_WARNING_LINE("Could not write file: '" << strTempPath << "'");
    // A read-only presets file is one its owner does not want changed.
    const bool bModeKept = bWritten && platform.TakeOverFileMode(strTarget, strTempPath);
    if (bWritten && !bModeKept)
        PF_TRACE_WARNING_LINE("Could not open file for writing: '" << strTarget << "'");
    const bool bReplaced = bModeKept && platform.MoveFileOver(strTempPath, strTarget);
    if (bModeKept && !bReplaced)
        PF_TRACE_WARNING_LINE("Could not replace file: '" << strTarget << "'");
    if (!bReplaced)
        platform.RemoveFile(strTempPath);
    return bReplaced;
}

std::string TextModeLines(const std::string& strText)
{
#if defined(_WIN32)
    std::string strResult;
    strResult.reserve(strText.size() + strText.size() / 16);
    for (const char c : strText) {
        if (c == '\n')
            strResult += '\r';
        strResult += c;
    }
    return strResult;
#else
    return strText;
#endif
}
