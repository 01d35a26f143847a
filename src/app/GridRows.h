#pragma once
// The rows of the property grid beside each tab: which settings a view shows
// (with their conditions), how each row is stored as one text, and how the
// values read.

#include "properties/settings/SettingKey.h"
#include "properties/settings/SettingTable.h"

#include <cstdint>
#include <string>
#include <vector>

class CProduct;

// Key id of the face "Image" row that opens the face picture editor; its
// category is the face letter.
inline constexpr std::uint32_t kFaceImageRowId = 100000;
// Key id (category 'M') of the Render tab's "Rendering Size" row: width and
// height in pixels, edited together as "WxH".
inline constexpr std::uint32_t kRenderSizeRowId = 100001;

struct CGridRow {
    std::string label;
    std::string value;   // colours and lights: the decimal number they encode
    char kind = 'T';     // 'H' head, 'T' text-like, 'L' lights, 'C' colour
    std::string type;    // "Head", "Str", "Bool", "Int", "Light" or "Color"
    char category = 0;   // heads carry no key
    std::uint32_t id = 0;

    bool IsHead() const noexcept { return kind == 'H'; }
    SettingKey Key() const noexcept { return SettingKey{id, category}; }

    // label \n value \n kind \n type \n category+id
    std::string Encode() const;
    // False for a text that is not an encoded row (the row is left untouched).
    static bool Decode(const std::string& text, CGridRow& row);

    friend bool operator==(const CGridRow&, const CGridRow&) = default;

    static CGridRow Head(std::string label);
    static CGridRow Str(std::string label, std::string value, SettingKey key);
    static CGridRow Bool(std::string label, bool value, SettingKey key);
    static CGridRow Int(std::string label, int value, SettingKey key);
    static CGridRow Light(std::string label, std::uint32_t mask, SettingKey key);
    static CGridRow Color(std::string label, std::uint32_t colour, SettingKey key);
};

// Rows of the Render tab, in order, following the product's current values.
std::vector<CGridRow> BuildRenderRows(const CProduct& product);

// Rows of a face tab (face letter F, L, S, R, U, D, G, l, r, u, d or C).
// `cdImageName` is the display name of the chosen CD-ROM image.
std::vector<CGridRow> BuildFaceRows(const CProduct& product, char face, const std::string& cdImageName = {});

// Face letter of a face tab name ("Front" -> 'F', "Pages (Top)" -> 'u',
// "CD-ROM" -> 'C'); 0 for "Layout", "Render" and unknown names.
char FaceLetterOfTab(const std::string& tabName) noexcept;

// Setting id of the face's "has its own picture" flag (141 .. 147); 0 for none.
std::uint32_t FacePictureFlagId(const CProduct& product, char face) noexcept;

// The name edit dialogs, undo texts and messages use for a setting.
std::string EditLabelOf(std::uint32_t id, const std::string& gridLabel);

// Choice list entries shown for a choice setting of this product (CD Position
// picks the box or the book list).
std::vector<SettingValueName> ChoicesOf(const CProduct& product, std::uint32_t id);

// How a row is edited.
enum class EGridEditor {
    None,
    Text,       // mode 1
    Number,     // mode 2, validated
    Choice,     // mode 3 (also Bool rows)
    Colour,     // mode 4
    Slider,     // mode 5
    Lights,     // the "Lights" dialog
    PageDepths, // "Page Depth Percentages"
    CDImage,    // the CD-ROM image chooser
    FaceImage,  // the face picture editor
    RenderSize, // "WxH" in pixels
};
EGridEditor EditorOf(const CGridRow& row);

// "Set <label> to Yes" and the other undo texts of a finished edit.
std::string UndoTextForBool(const std::string& editLabel, bool value);
std::string UndoTextForNumber(const std::string& editLabel, int value, const std::string& unit);
std::string UndoTextForChoice(const std::string& editLabel, const std::string& name);
std::string UndoTextForModify(const std::string& editLabel);
