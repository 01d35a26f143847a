#pragma once
// Progress of the first-run setup: a position on the progress bar, the number
// of steps that did real work (timed steps) and the start time, from which the
// remaining time is estimated. Steps whose files already existed advance the
// position without being timed, so they shorten the estimate without making
// the measured rate look faster than it is.

#include <cstdint>
#include <string>

class CSetupProgress {
public:
    // total: the number of positions the whole setup advances through.
    explicit CSetupProgress(int total) noexcept;

    // Starts again at position 0 with no timed steps; nowMs is the start time
    // in milliseconds of any monotonic clock.
    void Reset(std::uint64_t nowMs) noexcept;

    // Advances the position by steps; a counted step also adds to the timed
    // steps. nowMs refreshes the estimate.
    void Step(bool counted, int steps, std::uint64_t nowMs);

    int GetPosition() const noexcept { return m_position; }
    int GetTotal() const noexcept { return m_total; }
    int GetTimedSteps() const noexcept { return m_timedSteps; }

    // "%d Minute(s) %d Second(s)" or empty while no timed step exists.
    const std::string& GetEstimateText() const noexcept { return m_estimate; }

    // Remaining seconds for the given rate; the arithmetic the estimate
    // text is made from: (elapsed / timed) ms per step times the steps left.
    static std::int64_t RemainingSeconds(std::uint64_t elapsedMs, int timedSteps, int position,
                                         int total) noexcept;
    static std::string FormatRemaining(std::int64_t seconds);

private:
    int m_total;
    int m_position = 0;
    int m_timedSteps = 0;
    std::uint64_t m_startMs = 0;
    std::string m_estimate;
};
