#include "TiffLib.h"

#include "FileAccess.h"

#include <algorithm>
#include <cstdarg>
#include <limits>

namespace {

std::FILE* FileOf(thandle_t handle)
{
    return static_cast<std::FILE*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* pData, tmsize_t nSize)
{
    return tmsize_t(std::fread(pData, 1, std::size_t(nSize), FileOf(handle)));
}

tmsize_t WriteProc(thandle_t handle, void* pData, tmsize_t nSize)
{
    return tmsize_t(std::fwrite(pData, 1, std::size_t(nSize), FileOf(handle)));
}

toff_t SeekProc(thandle_t handle, toff_t nOffset, int nWhence)
{
    if (!SeekFile(FileOf(handle), nOffset, nWhence))
        return std::numeric_limits<toff_t>::max();
    return TellFile(FileOf(handle));
}

// The FILE belongs to the caller, who closes it.
int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    std::FILE* pFile = FileOf(handle);
    const uint64_t nPos = TellFile(pFile);
    SeekFile(pFile, 0, SEEK_END);
    const uint64_t nSize = TellFile(pFile);
    SeekFile(pFile, nPos, SEEK_SET);
    return nSize;
}

int MapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

void UnmapProc(thandle_t, void*, toff_t) {}

} // namespace

pfTiffFile::pfTiffFile(std::FILE* pFile, const char* pMode, uint64_t nMaxAllocation)
{
    TIFFOpenOptions* pOptions = TIFFOpenOptionsAlloc();
    if (!pOptions) {
        m_strError = "out of memory";
        return;
    }
    const uint64_t nLimit = std::min<uint64_t>(nMaxAllocation, uint64_t(std::numeric_limits<tmsize_t>::max()));
    TIFFOpenOptionsSetMaxSingleMemAlloc(pOptions, tmsize_t(nLimit));
    TIFFOpenOptionsSetErrorHandlerExtR(pOptions, OnError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(pOptions, OnWarning, this);
    m_pTiff = TIFFClientOpenExt("file", pMode, pFile, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                                UnmapProc, pOptions);
    TIFFOpenOptionsFree(pOptions);
}

pfTiffFile::~pfTiffFile()
{
    if (m_pTiff)
        TIFFClose(m_pTiff);
}

bool pfTiffFile::Finish()
{
    return m_pTiff && TIFFWriteDirectory(m_pTiff) == 1 && TIFFFlush(m_pTiff) == 1;
}

int pfTiffFile::OnError(TIFF*, void* pUser, const char*, const char* pFormat, va_list args)
{
    auto* pFile = static_cast<pfTiffFile*>(pUser);
    if (pFile->m_strError.empty()) {
        char text[300];
        std::vsnprintf(text, sizeof text, pFormat, args);
        pFile->m_strError = text;
    }
    return 1;
}
