#pragma once
// CBarcode39: Code 39 (3 of 9) encoder. Each character is nine elements,
// five bars and four spaces alternating from a bar, three of them wide
// (3 modules) and six narrow (1 module), followed by one narrow gap: 16
// modules a character. The encoded string is "*" + data + "*".
//
// With quiet zones (every symbol made by this version) the symbol keeps a
// light margin of kQuietModules narrow bars before and after it inside the
// box, so it scans whatever the face around it shows; symbols stored before
// fill their box with bars alone and draw as they were saved.

#include "layout/face/ContentBitmap.h"

#include <string>

class CBarcode39 {
public:
    static constexpr int kQuietModules = 10;

    CBarcode39() = default;

    // The nine-element pattern of a character as a bit mask, bit 8 the first
    // element (a bar), set bits wide; -1 for a character outside the set.
    static int GetPattern(char c);
    static bool IsValidData(const std::string& data);

    // Accepts the data only when every character of "*" + data + "*" is in
    // the set; otherwise returns false and keeps the previous string.
    bool SetData(const std::string& data);
    const std::string& GetEncoded() const { return m_encoded; }
    void SetAngle(int angle) { m_angle = angle; }
    int GetAngle() const { return m_angle; }
    void SetQuietZones(bool on) { m_quietZones = on; }

    // 16 * (n + 2) modules along the symbol (plus 2 * kQuietModules with quiet
    // zones) by 16 across, turned by the angle.
    void GetNaturalSize(int& width, int& height) const;

    // Draws into the rectangle (device pixels, y down, right and bottom
    // exclusive): black bars and white spaces across the full thickness, the
    // module the largest whole number that fits, the symbol centred.
    void Draw(CContentBitmap& bitmap, int left, int top, int right, int bottom) const;

private:
    std::string m_encoded = "**";
    int m_angle = 0;
    bool m_quietZones = false;

    long long GetAlongModules() const;
};
