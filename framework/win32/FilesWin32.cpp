// The file steps of Platform.h on Windows: handles written through and
// flushed, attributes carried over, replacement by one move.
#include "PlatformWin32.h"

#include <windows.h>

#include <memory>
#include <type_traits>

namespace {

struct HandleCloser {
    void operator()(HANDLE hFile) const { CloseHandle(hFile); }
};
using FileHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Attributes a presets file may carry that a new file should keep.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

class Win32OutputFile : public pfOutputFile {
public:
    explicit Win32OutputFile(HANDLE hFile) : m_hFile(hFile) {}

    bool Write(const std::string& strData) override
    {
        const char* pData = strData.data();
        std::size_t nLeft = strData.size();
        while (m_hFile && nLeft > 0) {
            const DWORD nChunk = nLeft > 0x10000000 ? 0x10000000 : DWORD(nLeft);
            DWORD nWritten = 0;
            if (!WriteFile(m_hFile.get(), pData, nChunk, &nWritten, nullptr) || nWritten == 0)
                return false;
            pData += nWritten;
            nLeft -= nWritten;
        }
        return m_hFile != nullptr;
    }

    bool FlushToDisk() override { return m_hFile && FlushFileBuffers(m_hFile.get()); }
    bool Close() override { return m_hFile && CloseHandle(m_hFile.release()); }

private:
    FileHandle m_hFile;
};

// "\\?\C:\x" is "C:\x" and "\\?\UNC\server\x" is "\\server\x".
std::string WithoutLongPathPrefix(const std::string& strPath)
{
    if (strPath.compare(0, 8, "\\\\?\\UNC\\") == 0)
        return "\\\\" + strPath.substr(8);
    if (strPath.compare(0, 4, "\\\\?\\") == 0)
        return strPath.substr(4);
    return strPath;
}

}  // namespace

std::string pfPlatformWin32::ResolveFileLinks(const std::string& strPath)
{
    const DWORD nAttributes = GetFileAttributesA(strPath.c_str());
    if (nAttributes == INVALID_FILE_ATTRIBUTES || !(nAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return strPath;
    const HANDLE hOpened = CreateFileA(strPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hOpened == INVALID_HANDLE_VALUE)
        return std::string();
    const FileHandle hFile(hOpened);
    char path[MAX_PATH * 4];
    const DWORD nLength = GetFinalPathNameByHandleA(hFile.get(), path, DWORD(sizeof path), FILE_NAME_NORMALIZED);
    if (nLength == 0 || nLength >= sizeof path)
        return std::string();
    return WithoutLongPathPrefix(std::string(path, nLength));
}

std::unique_ptr<pfOutputFile> pfPlatformWin32::CreateOutputFile(const std::string& strPath)
{
    // Only a new file is opened, so a link left at the path is never
    // followed; what is there is deleted (a link itself, not its target) and
    // the creation tried once more.
    const auto create = [&] {
        return CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE hFile = create();
    if (hFile == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS && DeleteFileA(strPath.c_str()))
        hFile = create();
    if (hFile == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32OutputFile>(hFile);
}

bool pfPlatformWin32::TakeOverFileMode(const std::string& strOldPath, const std::string& strNewPath)
{
    const DWORD nAttributes = GetFileAttributesA(strOldPath.c_str());
    if (nAttributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (nAttributes & FILE_ATTRIBUTE_READONLY)
        return false;
    const DWORD nKept = nAttributes & kKeptAttributes;
    return SetFileAttributesA(strNewPath.c_str(), nKept ? nKept : FILE_ATTRIBUTE_NORMAL) != 0;
}

bool pfPlatformWin32::MoveFileOver(const std::string& strFromPath, const std::string& strToPath)
{
    return MoveFileExA(strFromPath.c_str(), strToPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           0;
}

bool pfPlatformWin32::RemoveFile(const std::string& strPath)
{
    return DeleteFileA(strPath.c_str()) != 0;
}
