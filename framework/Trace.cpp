#include "Trace.h"

#include <iomanip>

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

void pfTraceLog::Flush()
{
    if (m_pFile) {
        std::string strIndent;
        for (int32_t i = 0; i < m_nDepth; ++i)
            strIndent += "    ";
        std::fprintf(m_pFile, "%s", strIndent.c_str());
        std::fprintf(m_pFile, "%s", m_Line.str().c_str());
        std::fflush(m_pFile);
    }
    m_Line.str(std::string());
    m_Line.clear();
}

void pfTraceLog::OpenLog(const std::string& strPath, int nLevel)
{
    m_nDepth = 0;
    m_nLevel = nLevel;
    if (nLevel != 0 && !m_pFile && !strPath.empty())
        m_pFile = std::fopen(strPath.c_str(), "a");
}

void pfTraceLog::CloseLog()
{
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
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
