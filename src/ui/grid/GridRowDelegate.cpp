#include "ui/grid/GridRowDelegate.h"

#include "properties/settings/SettingTable.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kTextInset = 3;    // pixels left and right of value and label texts
constexpr int kSwatchRoom = 29;  // a colour row's swatch: 4 + 20 pixels and a gap of 5

QString Q(const std::string& s) { return QString::fromStdString(s); }

QColor FromRef(std::uint32_t ref) { return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF); }

std::uint32_t ParseNumber(const std::string& text)
{
    try {
        return static_cast<std::uint32_t>(std::stoul(text));
    } catch (...) {
        return 0;
    }
}

QString ColourText(std::uint32_t c)
{
    return QString::asprintf("R=%d G=%d B=%d", int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// A single line cut with "..." where it runs out of room, instead of a letter cut in half.
QString Fit(const QString& text, const QFont& font, int width)
{
    return QFontMetrics(font).elidedText(text, Qt::ElideRight, std::max(0, width));
}

} // namespace

CGridRowDelegate::CGridRowDelegate(std::function<int()> labelWidth, QObject* parent)
    : QStyledItemDelegate(parent), m_labelWidth(std::move(labelWidth))
{
}

QSize CGridRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {option.rect.width(), kRowHeight};
}

QString CGridRowDelegate::ShownValue(const CGridRow& row, int rowWidth, int labelWidth, const QFont& font)
{
    const int valueWidth = rowWidth - labelWidth;
    if (row.kind == 'C')
        return Fit(ColourText(ParseNumber(row.value)), font, valueWidth - kSwatchRoom - kTextInset);
    if (row.kind == 'L' || row.IsHead())
        return {};
    return Fit(Q(row.value), font, valueWidth - 2 * kTextInset);
}

void CGridRowDelegate::PaintRow(QPainter& p, const QRect& rect, int labelWidth, const CGridRow& row, bool selected,
                                const QPalette& palette, const QFont& font)
{
    labelWidth = std::clamp(labelWidth, 0, rect.width());
    const QRect labelRect(rect.left(), rect.top(), labelWidth, rect.height());
    const QRect valueRect(rect.left() + labelWidth, rect.top(), rect.width() - labelWidth, rect.height());
    const QColor lines = palette.color(QPalette::Mid);

    if (row.IsHead()) {
        p.fillRect(rect, palette.color(QPalette::Button));
        QFont bold = font;
        bold.setWeight(QFont::Bold);  // 700
        p.setFont(bold);
        p.setPen(palette.color(QPalette::ButtonText));
        const QRect text = rect.adjusted(kTextInset, 0, -kTextInset, 0);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Fit(Q(row.label), bold, text.width()));
    } else {
        p.fillRect(rect, palette.color(QPalette::Base));
        p.setFont(font);
        p.setPen(palette.color(QPalette::Text));
        const QRect label = labelRect.adjusted(kTextInset + 8, 0, -kTextInset, 0);
        p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Fit(Q(row.label), font, label.width()));
        p.setPen(lines);
        p.drawLine(valueRect.left(), rect.top(), valueRect.left(), rect.bottom());
        const QString shown = ShownValue(row, rect.width(), labelWidth, font);
        if (row.kind == 'C') {
            const std::uint32_t c = ParseNumber(row.value);
            const QRect swatch(valueRect.left() + 4, rect.top() + 3, 20, 20);
            p.fillRect(swatch, FromRef(c));
            p.setPen(palette.color(QPalette::Text));
            p.drawRect(swatch.adjusted(0, 0, -1, -1));
            p.drawText(QRect(swatch.right() + 5, rect.top(), valueRect.right() - swatch.right() - 5, rect.height()),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        } else if (row.kind == 'L') {
            const std::uint32_t mask = ParseNumber(row.value);
            p.setPen(palette.color(QPalette::Text));
            const int bottom = rect.bottom();
            for (int c = 0; c < 5; ++c)
                for (int r = 0; r < 5; ++r) {
                    const int x = valueRect.left() + 8 + 6 * c;
                    const int y = bottom - 4 - 5 * r;
                    if (IsLightOn(mask, c, r)) {
                        // A hollow 3 x 3 square: the eight pixels around the point.
                        for (int dx = -1; dx <= 1; ++dx)
                            for (int dy = -1; dy <= 1; ++dy)
                                if (dx != 0 || dy != 0)
                                    p.drawPoint(x + dx, y + dy);
                    } else {
                        p.drawPoint(x, y);
                    }
                }
        } else {
            p.setPen(palette.color(QPalette::Text));
            p.drawText(valueRect.adjusted(kTextInset, 0, -kTextInset, 0),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        }
        p.setPen(lines);
        p.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    }
    if (selected) {
        QPen pen(palette.color(QPalette::Highlight));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

void CGridRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    CGridRow row;
    if (!CGridRow::Decode(index.data(Qt::UserRole).toString().toStdString(), row))
        return;
    // Off-screen first, then one copy: no flicker while scrolling.
    QPixmap buffer(option.rect.size());
    buffer.fill(option.palette.color(QPalette::Base));
    {
        QPainter p(&buffer);
        const int labelWidth = m_labelWidth ? m_labelWidth() : option.rect.width() * 7 / 10;
        PaintRow(p, QRect(QPoint(0, 0), option.rect.size()), labelWidth, row, option.state & QStyle::State_Selected,
                 option.palette, option.font);
    }
    painter->drawPixmap(option.rect.topLeft(), buffer);
}
