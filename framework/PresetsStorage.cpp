#include "PresetsStorage.h"

#include "Trace.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

struct FileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Unlike std::rename on Windows, replaces an existing target.
bool MoveOver(const std::string& strFrom, const std::string& strTo)
{
#if defined(_WIN32)
    return MoveFileExA(strFrom.c_str(), strTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(strFrom.c_str(), strTo.c_str()) == 0;
#endif
}

// Every byte written and the close confirmed: buffered data can still fail
// to reach the disk at fflush or fclose. A file we created but could not
// finish is removed; a path we could not open is left alone (it may be
// something else's, such as a folder).
bool WriteWhole(const std::string& strPath, const std::string& strText)
{
    FilePtr pFile(std::fopen(strPath.c_str(), "wb"));
    if (!pFile) {
        PF_TRACE_WARNING_LINE("Could not open file for writing: '" << strPath << "'");
        return false;
    }
    bool bOk = std::fwrite(strText.data(), 1, strText.size(), pFile.get()) == strText.size();
    bOk = std::fflush(pFile.get()) == 0 && bOk;
    bOk = std::fclose(pFile.release()) == 0 && bOk;
    if (!bOk) {
        PF_TRACE_WARNING_LINE("Could not write file: '" << strPath << "'");
        std::remove(strPath.c_str());
    }
    return bOk;
}

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
    const std::string strTempPath = strPath + "tmp";
    if (!WriteWhole(strTempPath, strText))
        return false;
    if (!MoveOver(strTempPath, strPath)) {
        PF_TRACE_WARNING_LINE("Could not replace file: '" << strPath << "'");
        std::remove(strTempPath.c_str());
        return false;
    }
    return true;
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
