#pragma once
// Tool button that drops a palette of colours, with "More Colors..." for any
// other colour. Colours are colour references 0x00BBGGRR.

#include <QToolButton>
#include <cstdint>

class QMenu;

std::uint32_t ColorRefFromQColor(const QColor& colour);
QColor QColorFromColorRef(std::uint32_t ref);

class CColorButton : public QToolButton {
    Q_OBJECT
public:
    CColorButton(const QIcon& baseIcon, const QString& text, QWidget* parent = nullptr);

    void SetColor(std::uint32_t ref);
    std::uint32_t Color() const { return m_color; }
    // Exchanges the colours of two buttons ("<- S&wap ->").
    static void SwapColors(CColorButton& a, CColorButton& b);

    // Drops the palette below the button, or at the mouse when the button
    // is not on the screen (its toolbar hidden); returns at once.
    void ShowPalette();
    QMenu* Palette() const { return m_menu; }

    // The 40 palette colours, row by row.
    static const std::uint32_t* PaletteColors(int& count);

signals:
    void colorChosen(std::uint32_t ref);

private:
    void UpdateIcon();
    void ChooseMore();

    QIcon m_base;
    std::uint32_t m_color = 0;
    QMenu* m_menu = nullptr;
};
