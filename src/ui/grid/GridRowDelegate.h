#pragma once
// Paints the rows of the property grid: section heads across both columns,
// labels and values elided where the columns are too narrow, colour swatches
// and the 5 x 5 light pattern.

#include "app/GridRows.h"

#include <QStyledItemDelegate>
#include <functional>

class CGridRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // `labelWidth` tells the width of the label column (the grid's split).
    CGridRowDelegate(std::function<int()> labelWidth, QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Draws `row` into `rect` of `painter` with a label column `labelWidth`
    // pixels wide (also used for screenshots of a row).
    static void PaintRow(QPainter& painter, const QRect& rect, int labelWidth, const CGridRow& row, bool selected,
                         const QPalette& palette, const QFont& font);
    // The value text as a row of `rowWidth` pixels shows it: elided ("...")
    // when it does not fit its column. Colour rows give their "R=.. G=.. B=.." text.
    static QString ShownValue(const CGridRow& row, int rowWidth, int labelWidth, const QFont& font);
    static constexpr int kRowHeight = 26;

private:
    std::function<int()> m_labelWidth;
};
