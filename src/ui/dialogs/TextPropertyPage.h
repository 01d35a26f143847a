#pragma once
// The text page: face, size, appearance, style, the two colours, the text
// (several lines; Enter starts a new one) and how its lines are set
// (alignment, line spacing, letter spacing) of a text object. The "Draw Text" dialog is this page with OK and Cancel;
// the Properties dialog shows the same page for each text it edits.

#include "image/Color.h"

#include <QWidget>
#include <cstdint>
#include <string>

class CColorButton;
class CDrawText;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QSpinBox;
class QPushButton;
struct CTextDefaults;

// What the page edits, as plain values.
struct CTextValues {
    std::string text;
    std::uint32_t appearance = 0;  // 0 Normal .. 4 Outline
    COLORREF colour1 = 0x000000;
    COLORREF colour2 = 0x00FFFF;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool smooth = false;  // anti-aliased edges
    std::string face = "Arial";
    std::uint32_t size = 12;  // font cell height in face pixels
    std::uint32_t align = 0;  // kAlignLeft .. kAlignJustified
    std::uint32_t lineSpacing = 100;  // percent of the font height
    std::int32_t letterSpacing = 0;   // percent of the font height

    static CTextValues FromObject(const CDrawText& text);
    // The document's last-used settings (they hold no text).
    static CTextValues FromDefaults(const CTextDefaults& defaults);
    void ToDefaults(CTextDefaults& defaults) const;
    void ApplyTo(CDrawText& text) const;
};

class CTextPropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CTextPropertyPage(QWidget* parent = nullptr);

    // The alignment names, by index.
    static const char* const kAlignNames[4];
    // The most characters the text field takes.
    static constexpr int kMaxTextLength = 2000;
    // The sizes the size list offers, in face pixels.
    static const int kListedSizes[16];

    // Fills the controls. A face that is not among the installed TrueType
    // faces is added to the list so that it stays selected; a size that is
    // not in the list is typed into the field.
    void SetValues(const CTextValues& values);
    // The controls' values; the size is 12 when its field holds no number.
    CTextValues Values() const;

    // Checks the text and the size field. On a refusal the message is shown,
    // the focus goes to the refused field (its text selected) and false is
    // returned. The page must be visible for the focus to land.
    bool Validate();
    // The field that takes the focus: the one last refused, else the text.
    void FocusField();

    QPlainTextEdit* TextField() const { return m_text; }
    QComboBox* FaceCombo() const { return m_face; }
    QComboBox* SizeCombo() const { return m_size; }
    QComboBox* AppearanceCombo() const { return m_appearance; }
    QComboBox* AlignCombo() const { return m_align; }
    QSpinBox* LineSpacingField() const { return m_lineSpacing; }
    QSpinBox* LetterSpacingField() const { return m_letterSpacing; }
    CColorButton* Colour1Button() const { return m_colour1; }
    CColorButton* Colour2Button() const { return m_colour2; }
    QPushButton* SwapButton() const { return m_swap; }

private:
    QLabel* BuddyLabel(const char* text, QWidget* buddy);
    void AddTextRow(QGridLayout* grid);
    void AddFontRows(QGridLayout* grid);
    void AddSpacingRow(QGridLayout* grid);
    void AddStyleRow(QGridLayout* grid);
    void AddColourRow(QGridLayout* grid);
    void SetTabOrder();
    void FillFaces();
    void SelectFace(const std::string& face);
    void ShowFaceInItself();
    void UpdateEnabled();
    void Swap();

    QPlainTextEdit* m_text = nullptr;
    QComboBox* m_face = nullptr;
    QComboBox* m_size = nullptr;
    QComboBox* m_appearance = nullptr;
    QComboBox* m_align = nullptr;
    QSpinBox* m_lineSpacing = nullptr;
    QSpinBox* m_letterSpacing = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_strikeOut = nullptr;
    QCheckBox* m_smooth = nullptr;
    CColorButton* m_colour1 = nullptr;
    CColorButton* m_colour2 = nullptr;
    QPushButton* m_swap = nullptr;
    QWidget* m_refused = nullptr;
};
