#include "FileAccess.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include "host/text/WinText.h"
#endif

namespace fs = std::filesystem;

namespace {

fs::path PathOf(const std::string& strPath)
{
#if defined(_WIN32)
    return fs::path(Widen(strPath));
#else
    return fs::path(strPath);
#endif
}

std::FILE* Open(const std::string& strPath, bool bWrite)
{
#if defined(_WIN32)
    return _wfopen(Widen(strPath).c_str(), bWrite ? L"wb" : L"rb");
#else
    return std::fopen(strPath.c_str(), bWrite ? "wb" : "rb");
#endif
}

} // namespace

pfFilePtr OpenForReading(const std::string& strPath, uint64_t& nSize, std::string& strError)
{
    std::error_code error;
    const fs::file_status status = fs::status(PathOf(strPath), error);
    if (!fs::exists(status)) {
        strError = strPath + ": no such file";
        return nullptr;
    }
    if (fs::is_directory(status)) {
        strError = strPath + ": is a folder, not a file";
        return nullptr;
    }
    nSize = fs::is_regular_file(status) ? fs::file_size(PathOf(strPath), error) : kUnknownFileSize;
    pfFilePtr pFile(error ? nullptr : Open(strPath, false));
    if (!pFile)
        strError = strPath + ": cannot be opened for reading";
    return pFile;
}

bool ReadFileWith(const std::string& strPath,
                  const std::function<bool(std::FILE*, uint64_t nSize, std::string&)>& read, std::string& strError)
{
    uint64_t nSize = 0;
    const pfFilePtr pFile = OpenForReading(strPath, nSize, strError);
    if (!pFile)
        return false;
    if (read(pFile.get(), nSize, strError))
        return true;
    strError = strPath + ": " + strError;
    return false;
}

bool ReadToEnd(std::FILE* pFile, uint64_t nMaxBytes, std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> contents;
    uint8_t block[65536];
    for (std::size_t nRead; (nRead = std::fread(block, 1, sizeof block, pFile)) > 0;) {
        if (contents.size() + nRead > nMaxBytes)
            return false;
        contents.insert(contents.end(), block, block + nRead);
    }
    bytes = std::move(contents);
    return true;
}

bool ReadWholeFile(const std::string& strPath, uint64_t nMaxBytes, std::vector<uint8_t>& bytes,
                   std::string& strError)
{
    uint64_t nSize = 0;
    const pfFilePtr pFile = OpenForReading(strPath, nSize, strError);
    if (!pFile)
        return false;
    if ((nSize != kUnknownFileSize && nSize > nMaxBytes) || !ReadToEnd(pFile.get(), nMaxBytes, bytes)) {
        strError = strPath + ": too large (more than " + std::to_string(nMaxBytes) + " bytes)";
        return false;
    }
    if (std::ferror(pFile.get())) {
        strError = strPath + ": cannot be read";
        return false;
    }
    return true;
}

pfFilePtr OpenForWriting(const std::string& strPath, std::string& strError)
{
    if (IsFolder(strPath)) {
        strError = strPath + ": is a folder, not a file";
        return nullptr;
    }
    pfFilePtr pFile(Open(strPath, true));
    if (!pFile)
        strError = strPath + ": cannot be opened for writing";
    return pFile;
}

void RemovePartialFile(const std::string& strPath)
{
    std::error_code error;
    fs::remove(PathOf(strPath), error);
}

bool WriteFileWith(const std::string& strPath, const std::function<bool(std::FILE*, std::string&)>& write,
                   std::string& strError)
{
    pfFilePtr pFile = OpenForWriting(strPath, strError);
    if (!pFile)
        return false;
    bool bWritten = write(pFile.get(), strError);
    // Closing flushes: a full disk may only show here.
    bWritten = std::fclose(pFile.release()) == 0 && bWritten;
    if (!bWritten) {
        RemovePartialFile(strPath);
        strError = strPath + ": cannot be written" + (strError.empty() ? "" : ": " + strError);
    }
    return bWritten;
}

bool SeekFile(std::FILE* pFile, uint64_t nOffset, int nWhence)
{
#if defined(_WIN32)
    return _fseeki64(pFile, int64_t(nOffset), nWhence) == 0;
#else
    return fseeko(pFile, off_t(nOffset), nWhence) == 0;
#endif
}

uint64_t TellFile(std::FILE* pFile)
{
#if defined(_WIN32)
    return uint64_t(_ftelli64(pFile));
#else
    return uint64_t(ftello(pFile));
#endif
}

bool IsFolder(const std::string& strPath)
{
    std::error_code error;
    return fs::is_directory(PathOf(strPath), error);
}

std::string FileNameOf(const std::string& strPath)
{
    const std::size_t nSlash = strPath.find_last_of("/\\");
    return nSlash == std::string::npos ? strPath : strPath.substr(nSlash + 1);
}

std::string StemOf(const std::string& strPath)
{
    const std::string strName = FileNameOf(strPath);
    const std::size_t nDot = strName.find_last_of('.');
    return nDot == std::string::npos || nDot == 0 ? strName : strName.substr(0, nDot);
}

std::string ExtensionOf(const std::string& strPath)
{
    const std::string strName = FileNameOf(strPath);
    const std::size_t nDot = strName.find_last_of('.');
    if (nDot == std::string::npos || nDot == 0)
        return {};
    std::string strExtension = strName.substr(nDot);
    for (char& c : strExtension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return strExtension;
}
