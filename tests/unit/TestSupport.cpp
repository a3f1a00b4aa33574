#include "TestSupport.h"

#include "framework/trace/Trace.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

std::string TempPath(const std::string& strName)
{
    static int nCounter = 0;
    return "/tmp/corvane-test-" + std::to_string(getpid()) + "-" + std::to_string(++nCounter) + "-" + strName;
}

std::string ReadFileText(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

CapturedTrace::CapturedTrace() : m_strPath(TempPath("trace.log"))
{
    pfTraceLog::Get().CloseLog();
    pfTraceLog::Get().OpenLog(m_strPath, 3);
}

CapturedTrace::~CapturedTrace()
{
    pfTraceLog::Get().CloseLog();
    pfTraceLog::Get().OpenLog("", 3);
    std::remove(m_strPath.c_str());
}

std::string CapturedTrace::Text() const
{
    return ReadFileText(m_strPath);
}
