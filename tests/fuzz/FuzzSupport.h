// Shared by the fuzz targets: a scratch file per process, and a check that
// stops the run with a message, so that a broken promise is a finding just
// like a crash.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

// A file in the temporary folder that lives as long as the process.
inline const std::string& ScratchPath(const char* strName)
{
    static const std::string strPath = [strName] {
        const char* strFolder = std::getenv("TMPDIR");
        return std::string(strFolder && *strFolder ? strFolder : "/tmp") + "/corvane-fuzz-" +
               std::to_string(getpid()) + "-" + strName;
    }();
    return strPath;
}

inline void WriteScratch(const std::string& strPath, const std::string& strBytes)
{
    std::ofstream(strPath, std::ios::binary | std::ios::trunc) << strBytes;
}

inline void FuzzCheck(bool bHolds, const char* strWhat)
{
    if (!bHolds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", strWhat);
        std::abort();
    }
}
