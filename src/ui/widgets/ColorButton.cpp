#include "ui/widgets/ColorButton.h"

#include <QColorDialog>
#include <QCursor>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWidgetAction>

std::uint32_t ColorRefFromQColor(const QColor& c)
{
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

QColor QColorFromColorRef(std::uint32_t ref)
{
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

const std::uint32_t* CColorButton::PaletteColors(int& count)
{
    // Written as 0xRRGGBB for readability and converted below.
    static const std::uint32_t rgb[] = {
        0x000000, 0x993300, 0x333300, 0x003300, 0x003366, 0x000080, 0x333399, 0x333333,
        0x800000, 0xFF6600, 0x808000, 0x008000, 0x008080, 0x0000FF, 0x666699, 0x808080,
        0xFF0000, 0xFF9900, 0x99CC00, 0x339966, 0x33CCCC, 0x3366FF, 0x800080, 0x999999,
        0xFF00FF, 0xFFCC00, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x00CCFF, 0x993366, 0xC0C0C0,
        0xFF99CC, 0xFFCC99, 0xFFFF99, 0xCCFFCC, 0xCCFFFF, 0x99CCFF, 0xCC99FF, 0xFFFFFF,
    };
    static std::uint32_t refs[40];
    static bool made = false;
    if (!made) {
        for (int i = 0; i < 40; ++i)
            refs[i] = ((rgb[i] >> 16) & 0xFF) | (rgb[i] & 0xFF00) | ((rgb[i] & 0xFF) << 16);
        made = true;
    }
    count = 40;
    return refs;
}

CColorButton::CColorButton(const QIcon& baseIcon, const QString& text, QWidget* parent)
    : QToolButton(parent), m_base(baseIcon)
{
    setText(text);
    setToolTip(text);
    setPopupMode(QToolButton::InstantPopup);
    m_menu = new QMenu(this);
    auto* grid = new QWidget(m_menu);
    auto* layout = new QGridLayout(grid);
    layout->setSpacing(2);
    layout->setContentsMargins(4, 4, 4, 4);
    int count = 0;
    const std::uint32_t* colours = PaletteColors(count);
    for (int i = 0; i < count; ++i) {
        auto* swatch = new QToolButton(grid);
        swatch->setAutoRaise(true);
        swatch->setFixedSize(20, 20);
        QPixmap pm(14, 14);
        pm.fill(QColorFromColorRef(colours[i]));
        {
            QPainter p(&pm);
            p.setPen(QColor(128, 128, 128));
            p.drawRect(0, 0, 13, 13);
        }
        swatch->setIcon(QIcon(pm));
        swatch->setIconSize(QSize(14, 14));
        swatch->setObjectName(QStringLiteral("swatch%1").arg(i));
        const std::uint32_t ref = colours[i];
        connect(swatch, &QToolButton::clicked, this, [this, ref]() {
            m_menu->close();
            SetColor(ref);
            emit colorChosen(ref);
        });
        layout->addWidget(swatch, i / 8, i % 8);
    }
    auto* gridAction = new QWidgetAction(m_menu);
    gridAction->setDefaultWidget(grid);
    m_menu->addAction(gridAction);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("More Colors..."), this, &CColorButton::ChooseMore);
    setMenu(m_menu);
    UpdateIcon();
}

void CColorButton::SetColor(std::uint32_t ref)
{
    if ((ref & 0xFFFFFF) == m_color && !icon().isNull())
        return;
    m_color = ref & 0xFFFFFF;
    UpdateIcon();
}

void CColorButton::SwapColors(CColorButton& a, CColorButton& b)
{
    const std::uint32_t first = a.Color();
    a.SetColor(b.Color());
    b.SetColor(first);
}

void CColorButton::ShowPalette()
{
    const QPoint at = isVisible() ? mapToGlobal(QPoint(0, height())) : QCursor::pos();
    m_menu->popup(at);
}

void CColorButton::ChooseMore()
{
    QColorDialog dialog(QColorFromColorRef(m_color), this);
    dialog.setWindowTitle(QStringLiteral("More Colors"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::uint32_t ref = ColorRefFromQColor(dialog.selectedColor());
    SetColor(ref);
    emit colorChosen(ref);
}

void CColorButton::UpdateIcon()
{
    // The tool's picture with a bar of the current colour beneath it.
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        m_base.paint(&p, QRect(0, 0, 24, 19));
        p.fillRect(QRect(1, 19, 22, 5), QColorFromColorRef(m_color));
        p.setPen(QColor(80, 80, 80));
        p.drawRect(QRect(1, 19, 21, 4));
    }
    setIcon(QIcon(pm));
}
