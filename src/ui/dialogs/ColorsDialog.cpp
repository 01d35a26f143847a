#include "ui/dialogs/ColorsDialog.h"

#include "ui/widgets/ColorButton.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CColorsDialog::CColorsDialog(std::uint32_t lineColour, std::uint32_t fillColour, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Colors"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    m_line = new CColorButton(QIcon(QStringLiteral(":/icons/color_line.svg")), QStringLiteral("Line Color"), this);
    m_fill = new CColorButton(QIcon(QStringLiteral(":/icons/color_fill.svg")), QStringLiteral("Fill Color"), this);
    m_line->setObjectName(QStringLiteral("lineColor"));
    m_fill->setObjectName(QStringLiteral("fillColor"));
    for (CColorButton* b : {m_line, m_fill}) {
        b->setIconSize(QSize(32, 32));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    m_line->SetColor(lineColour);
    m_fill->SetColor(fillColour);
    auto* lineLabel = new QLabel(QStringLiteral("&Line Color"), this);
    lineLabel->setBuddy(m_line);
    auto* fillLabel = new QLabel(QStringLiteral("&Fill Color"), this);
    fillLabel->setBuddy(m_fill);
    auto* swap = new QPushButton(QStringLiteral("<- S&wap ->"), this);
    swap->setObjectName(QStringLiteral("swap"));
    connect(swap, &QPushButton::clicked, this, &CColorsDialog::Swap);
    grid->addWidget(lineLabel, 0, 0, Qt::AlignCenter);
    grid->addWidget(fillLabel, 0, 2, Qt::AlignCenter);
    grid->addWidget(m_line, 1, 0, Qt::AlignCenter);
    grid->addWidget(swap, 1, 1);
    grid->addWidget(m_fill, 1, 2, Qt::AlignCenter);
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::uint32_t CColorsDialog::LineColour() const { return m_line->Color(); }
std::uint32_t CColorsDialog::FillColour() const { return m_fill->Color(); }

void CColorsDialog::Swap()
{
    CColorButton::SwapColors(*m_line, *m_fill);
}
