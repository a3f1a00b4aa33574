// Shared helpers of the unit tests: a captured trace file, a recording
// platform and a zero-filled host record.
#pragma once

#include "framework/hostinterface/HostInterface.h"
#include "framework/platform/PlatformPortable.h"

#include <cstring>
#include <string>

// Routes the trace log into a fresh temporary file for the life of the object.
class CapturedTrace {
public:
    CapturedTrace();
    ~CapturedTrace();
    std::string Text() const;
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

// Installs a portable platform that records message boxes, and restores the
// previous one afterwards.
class RecordingPlatform : public pfPlatformPortable {
public:
    RecordingPlatform() : m_pPrevious(SetPlatform(this)) {}
    ~RecordingPlatform() override { SetPlatform(m_pPrevious); }
    void ShowMessage(const std::string& strCaption, const std::string& strText) override
    {
        m_strCaption = strCaption;
        m_strText = strText;
        ++m_nMessages;
    }
    void ShowAbout() override { ++m_nAbouts; }

    std::string m_strCaption;
    std::string m_strText;
    int m_nMessages = 0;
    int m_nAbouts = 0;

private:
    pfPlatform* m_pPrevious;
};

inline FilterRecord ZeroRecord()
{
    FilterRecord record;
    std::memset(&record, 0, sizeof record);
    return record;
}

// The record is packed to four bytes, so on 64-bit builds some of its
// pointers are misaligned. The test macros bind references to what they
// compare, which is undefined for such a member: they are given a copy.
template <typename T>
T Copy(T value)
{
    return value;
}

std::string ReadFileText(const std::string& strPath);
std::string TempPath(const std::string& strName);
