#include "catalogue/setup/SetupProgress.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

CSetupProgress::CSetupProgress(int total) noexcept : m_total(total)
{
    assert(total > 0);
}

void CSetupProgress::Reset(std::uint64_t nowMs) noexcept
{
    m_position = 0;
    m_timedSteps = 0;
    m_startMs = nowMs;
    m_estimate.clear();
}

void CSetupProgress::Step(bool counted, int steps, std::uint64_t nowMs)
{
    assert(steps >= 0);
    m_position = std::min(m_total, m_position + steps);
    if (counted)
        m_timedSteps += steps;
    if (m_timedSteps > 0) {
        const std::uint64_t elapsed = nowMs > m_startMs ? nowMs - m_startMs : 0;
        m_estimate = FormatRemaining(RemainingSeconds(elapsed, m_timedSteps, m_position, m_total));
    }
}

std::int64_t CSetupProgress::RemainingSeconds(std::uint64_t elapsedMs, int timedSteps, int position,
                                              int total) noexcept
{
    if (timedSteps <= 0)
        return 0;
    const std::int64_t msPerStep = static_cast<std::int64_t>(elapsedMs / static_cast<std::uint64_t>(timedSteps));
    const std::int64_t left = std::max(0, total - position);
    return msPerStep * left / 1000;
}

std::string CSetupProgress::FormatRemaining(std::int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    const long long minutes = seconds / 60;
    const long long rest = seconds % 60;
    char buffer[80];
    std::string text;
    if (minutes > 0) {
        std::snprintf(buffer, sizeof buffer, minutes == 1 ? "%lld Minute " : "%lld Minutes ", minutes);
        text += buffer;
    }
    std::snprintf(buffer, sizeof buffer, rest == 1 ? "%lld Second" : "%lld Seconds", rest);
    text += buffer;
    return text;
}
