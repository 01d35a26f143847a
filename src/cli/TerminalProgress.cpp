#include "cli/TerminalProgress.h"

#include <algorithm>
#include <unistd.h>

CTerminalProgress::CTerminalProgress(std::FILE* out) : m_out(out), m_tty(out && ::isatty(::fileno(out)) == 1) {}

CTerminalProgress::~CTerminalProgress() { Finish(); }

std::string CTerminalProgress::FormatBar(const std::string& status, int percent, int width)
{
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * width / 100;
    std::string bar = "[";
    bar.append(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), '.');
    char pct[8];
    std::snprintf(pct, sizeof pct, "] %3d%% ", percent);
    return bar + pct + status;
}

void CTerminalProgress::Update(const std::string& status, int percent)
{
    if (m_out == nullptr) return;
    if (status == m_lastStatus && percent == m_lastPercent) return;
    if (m_tty) {
        std::fprintf(m_out, "\r%-79s", FormatBar(status, percent, 30).c_str());
        std::fflush(m_out);
        m_open = true;
    } else if (status != m_lastStatus) {
        std::fprintf(m_out, "%3d%% %s\n", percent, status.c_str());
    }
    m_lastStatus = status;
    m_lastPercent = percent;
}

void CTerminalProgress::Finish()
{
    if (m_open && m_out) std::fprintf(m_out, "\n");
    m_open = false;
}
