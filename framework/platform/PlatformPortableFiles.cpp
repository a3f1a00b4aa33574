// Files for native builds: standard streams and std::filesystem, and the
// POSIX calls for what the standard library has no word for (forcing data
// onto the disk, owners).
#if !defined(_WIN32)
#include "PlatformPortable.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Longer chains of links are taken as loops, as the system does.
constexpr int kMaxLinks = 40;

struct FileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class StandardOutputFile : public pfOutputFile {
public:
    explicit StandardOutputFile(std::FILE* pFile) : m_pFile(pFile) {}

    bool Write(const std::string& strData) override
    {
        return m_pFile && std::fwrite(strData.data(), 1, strData.size(), m_pFile.get()) == strData.size();
    }

    bool FlushToDisk() override
    {
        if (!m_pFile || std::fflush(m_pFile.get()) != 0)
            return false;
#if defined(__unix__) || defined(__APPLE__)
        return fsync(fileno(m_pFile.get())) == 0;
#else
        return true;
#endif
    }

    bool Close() override { return m_pFile && std::fclose(m_pFile.release()) == 0; }

private:
    FilePtr m_pFile;
};

// Forces a folder's entries (a file just renamed into it) onto the disk.
void SyncFolder([[maybe_unused]] const fs::path& folder)
{
#if defined(__unix__) || defined(__APPLE__)
    const int nFolder = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (nFolder >= 0) {
        fsync(nFolder);
        close(nFolder);
    }
#endif
}

}  // namespace

std::string pfPlatformPortable::ResolveFileLinks(const std::string& strPath)
{
    fs::path path(strPath);
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            return path.string();
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            return std::string();
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return std::string();
}

std::unique_ptr<pfOutputFile> pfPlatformPortable::CreateOutputFile(const std::string& strPath)
{
    // "x": only a new file is opened, so a link left at the path is never
    // followed; whatever is there (a file from an interrupted write, a link)
    // is removed and the creation tried once more.
    std::FILE* pFile = std::fopen(strPath.c_str(), "wbx");
    if (!pFile) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(strPath, error);
        if (!fs::exists(status) || fs::is_directory(status) || !fs::remove(strPath, error))
            return nullptr;
        pFile = std::fopen(strPath.c_str(), "wbx");
    }
    if (!pFile)
        return nullptr;
    return std::make_unique<StandardOutputFile>(pFile);
}

bool pfPlatformPortable::TakeOverFileMode(const std::string& strOldPath, const std::string& strNewPath)
{
    std::error_code error;
    const fs::file_status status = fs::status(strOldPath, error);
    if (status.type() == fs::file_type::not_found)
        return true;
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (error || (status.permissions() & kAnyWrite) == fs::perms::none)
        return false;
#if defined(__unix__) || defined(__APPLE__)
    // Only a privileged user can give a file away; anyone else's new file
    // is theirs already. The owner goes first: it may clear set-id bits.
    struct stat info {};
    if (stat(strOldPath.c_str(), &info) != 0)
        return false;
    if (chown(strNewPath.c_str(), info.st_uid, info.st_gid) != 0 && errno != EPERM)
        return false;
#endif
    fs::permissions(strNewPath, status.permissions(), fs::perm_options::replace, error);
    return !error;
}

bool pfPlatformPortable::MoveFileOver(const std::string& strFromPath, const std::string& strToPath)
{
    if (std::rename(strFromPath.c_str(), strToPath.c_str()) != 0)
        return false;
    SyncFolder(fs::path(strToPath).parent_path());
    return true;
}

bool pfPlatformPortable::RemoveFile(const std::string& strPath)
{
    return std::remove(strPath.c_str()) == 0;
}
#endif
