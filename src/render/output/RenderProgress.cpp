#include "render/output/RenderProgress.h"

#include <algorithm>

void CRenderProgress::Begin()
{
    m_status.clear();
    m_percent = 0;
    m_active = true;
    m_cancel.store(false, std::memory_order_relaxed);
}

void CRenderProgress::SetStep(std::string_view step, int percent)
{
    m_status.assign(kPrefix);
    m_status.append(step);
    m_percent = std::max(m_percent, std::clamp(percent, 0, 100));
    Notify();
}

void CRenderProgress::SetPercent(int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (percent <= m_percent) return;
    m_percent = percent;
    Notify();
}

void CRenderProgress::Notify()
{
    if (m_sink) m_sink(m_status, m_percent);
    if (m_cancellableSink && !m_cancellableSink(m_status, m_percent)) Cancel();
}
