#include "reg/reportfile.h"

#include "foundation/syshelpers.h"

#include <windows.h>

namespace {

CReportFile* g_program = NULL;

} // namespace

CReportFile::CReportFile() : CReportFile(std::string(GetProductDataFolder()) + "report.html")
{
    g_program = this;
}

CReportFile::CReportFile(const std::string& path) : m_file(NULL), m_path(path), m_closed(false)
{
}

CReportFile::~CReportFile()
{
    if (g_program == this)
        g_program = NULL;
    Close();
}

CReportFile* CReportFile::Program()
{
    return g_program;
}

void CReportFile::Close()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_closed = true;
    if (!m_file)
        return;
    fclose(m_file);
    m_file = NULL;
    DeleteFileA(m_path.c_str());
}

bool CReportFile::IsOpen() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_file != NULL;
}

void CReportFile::Write(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_file || text.empty())
        return;
    fwrite(text.data(), 1, text.size(), m_file);
    fflush(m_file);
}

bool CReportFile::Restart()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_closed)
        return false;
    if (m_file)
        fclose(m_file);
    m_file = fopen(m_path.c_str(), "wb");
    return m_file != NULL;
}
