#pragma once
// Per-face zoom and scroll state of the face canvas, and the zoom-level steps.

#include <cstdint>
#include <map>
#include <string>

struct CZoomEntry {
    std::uint32_t fit = 0;     // 1 = fit the face into the window
    std::uint32_t zoom = 0;    // tenths of a percent; 0 = never set
    // Face coordinates (face pixels, y up) at the window's left, top, right and
    // bottom edges at the last paint; they keep the scroll position.
    double visLeft = 0.0, visTop = 0.0, visRight = 0.0, visBottom = 0.0;
    bool hasVisible = false;

    // Zoom in whole percent as the commands see it.
    int Percent() const { return static_cast<int>(zoom / 10); }
};

// One entry per face name, shared by every view of the run.
class CZoomMap {
public:
    // The entry of a face; a face never seen gets a fresh entry that starts as
    // fit-to-window (zoom 0 until the first paint computes the fitted zoom).
    CZoomEntry& Get(const std::string& face);
    const CZoomEntry* Find(const std::string& face) const;
    void Clear() { m_entries.clear(); }

private:
    std::map<std::string, CZoomEntry> m_entries;
};

// Next zoom level up / down from z percent; z itself when no level applies.
int ZoomInLevel(int z);
int ZoomOutLevel(int z);
