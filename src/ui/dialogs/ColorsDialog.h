#pragma once
// "Colors": the current line and fill colours of new objects, each with its
// palette button, and a button that swaps them.

#include <QDialog>
#include <cstdint>

class CColorButton;

class CColorsDialog : public QDialog {
    Q_OBJECT
public:
    CColorsDialog(std::uint32_t lineColour, std::uint32_t fillColour, QWidget* parent = nullptr);

    std::uint32_t LineColour() const;
    std::uint32_t FillColour() const;
    void Swap();

private:
    CColorButton* m_line = nullptr;
    CColorButton* m_fill = nullptr;
};
