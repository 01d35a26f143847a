#pragma once
// Progress state of one render: the status text ("Please wait - " + step) and a
// percentage 0..100 that only grows during one render. Each change is handed
// to a sink so that the desktop's status bar and the command line's progress
// bar show the same steps.

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

class CRenderProgress {
public:
    using Sink = std::function<void(const std::string& status, int percent)>;
    // A sink that answers whether the render may go on: false cancels it.
    using CancellableSink = std::function<bool(const std::string& status, int percent)>;

    void SetSink(Sink sink) { m_sink = std::move(sink); }
    void SetCancellableSink(CancellableSink sink) { m_cancellableSink = std::move(sink); }

    // Cancelling from any thread (or a signal handler: the flag is lock-free):
    // the render stops at its next band or step and reports that it was
    // cancelled; Begin clears the request.
    void Cancel() noexcept { m_cancel.store(true, std::memory_order_relaxed); }
    bool IsCancelled() const noexcept { return m_cancel.load(std::memory_order_relaxed); }

    // Starts a new render: percentage 0, no text.
    void Begin();
    // Shows "Please wait - " + step at `percent` (ignored when lower than now).
    void SetStep(std::string_view step, int percent);
    // Raises the percentage only; the text stays.
    void SetPercent(int percent);
    void End() noexcept { m_active = false; }

    const std::string& GetStatus() const noexcept { return m_status; }
    int GetPercent() const noexcept { return m_percent; }
    bool IsActive() const noexcept { return m_active; }

    static constexpr std::string_view kPrefix = "Please wait - ";

private:
    void Notify();

    Sink m_sink;
    CancellableSink m_cancellableSink;
    std::atomic<bool> m_cancel{false};
    std::string m_status;
    int m_percent = 0;
    bool m_active = false;
};
