// What the host's TIFF reader and writer share about libtiff: the file
// goes through our own FILE (paths are UTF-8 everywhere), and libtiff's
// messages are kept for the caller instead of going to standard error.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <string>

class pfTiffFile {
public:
    // nMaxAllocation: the most libtiff may allocate at once.
    pfTiffFile(std::FILE* pFile, const char* pMode, uint64_t nMaxAllocation);
    ~pfTiffFile();
    pfTiffFile(const pfTiffFile&) = delete;
    pfTiffFile& operator=(const pfTiffFile&) = delete;

    TIFF* Get() const { return m_pTiff; }
    // libtiff's first error, or the fallback when it gave none.
    std::string Error(const std::string& strFallback) const
    {
        return m_strError.empty() ? strFallback : m_strError;
    }
    // Writes what is buffered and the directory; false when that fails.
    bool Finish();

private:
    static int OnError(TIFF*, void* pUser, const char* pModule, const char* pFormat, va_list args);
    static int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

    std::string m_strError;
    TIFF* m_pTiff = nullptr;
};

// The image resources block (tag 34377) carries EXIF data as resource 1058.
constexpr uint16_t kExifResource = 1058;
