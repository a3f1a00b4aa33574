#include "Trace.h"

#include <iomanip>
#include <locale>
#include <mutex>

const std::string g_strRegistryKey = "SOFTWARE\\Veskary\\Photoshop\\CorvaneII";

pfTraceLog& pfTraceLog::Get()
{
    static pfTraceLog log;
    return log;
}

pfTraceLog::~pfTraceLog()
{
    CloseLog();
}

void pfTraceLog::Write(const std::string& strLine)
{
    if (!m_pFile)
        return;
    std::string strText;
    strText.reserve(std::size_t(m_nDepth > 0 ? m_nDepth : 0) * 4 + strLine.size());
    for (int32_t i = 0; i < m_nDepth; ++i)
        strText += "    ";
    strText += strLine;
    // As "%s": a line stops at an embedded NUL.
    std::fputs(strText.c_str(), m_pFile);
    std::fflush(m_pFile);
}

void pfTraceLog::WriteLine(const std::string& strLine)
{
    const std::lock_guard<pfLock> guard(m_Lock);
    Write(strLine);
}

void pfTraceLog::WriteEnter(const std::string& strLine)
{
    const std::lock_guard<pfLock> guard(m_Lock);
    Write(strLine);
    ++m_nDepth;
}

void pfTraceLog::WriteExit(const std::string& strLine)
{
    const std::lock_guard<pfLock> guard(m_Lock);
    --m_nDepth;
    Write(strLine);
}

void pfTraceLog::WriteEnterExit(const std::string& strEnter, const std::string& strExit)
{
    const std::lock_guard<pfLock> guard(m_Lock);
    Write(strEnter);
    Write(strExit);
}

void pfTraceLog::OpenLog(const std::string& strPath, int nLevel)
{
    const std::lock_guard<pfLock> guard(m_Lock);
    m_nDepth = 0;
    m_nLevel.store(nLevel, std::memory_order_relaxed);
    if (nLevel != 0 && !m_pFile && !strPath.empty())
        m_pFile = std::fopen(strPath.c_str(), "a");
}

void pfTraceLog::CloseLog()
{
    const std::lock_guard<pfLock> guard(m_Lock);
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
}

bool pfTraceLog::HasFile()
{
    const std::lock_guard<pfLock> guard(m_Lock);
    return m_pFile != nullptr;
}

pfTraceLine::pfTraceLine()
{
    m_Stream.imbue(std::locale::classic());
}

std::ostream& operator<<(std::ostream& os, pfTracePtr ptr)
{
    std::ios::fmtflags flags = os.flags();
    char fill = os.fill();
    os << std::uppercase << std::hex << std::setfill('0') << std::setw(int(sizeof(void*) * 2))
       << reinterpret_cast<uintptr_t>(ptr.p);
    os.flags(flags);
    os.fill(fill);
    return os;
}
