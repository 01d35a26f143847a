#include "ui/widgets/DialogPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int kTitleChrome = 140;  // pixels of icon and buttons around a title

// Installed once on the application; acts on the Show event, before the
// window is mapped, so it does not jump.
class CDialogPlacer final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        // In-place editors and dialogs moved on purpose keep their place.
        if (!dialog || !dialog->isWindow() || dialog->testAttribute(Qt::WA_Moved) ||
            dialog->windowFlags().testFlag(Qt::FramelessWindowHint))
            return false;
        if (!qobject_cast<QMessageBox*>(dialog)) {
            const int title = TitleWidth(dialog->windowTitle());
            if (dialog->width() < title && dialog->maximumWidth() >= title) {
                dialog->setMinimumWidth(title);
                dialog->resize(title, dialog->height());
            }
        }
        Place(dialog);
        // A message box fixes its size in its own show handling, after this:
        // centre it again once that is done.
        QTimer::singleShot(0, dialog, [dialog] {
            if (!dialog->testAttribute(Qt::WA_Moved))
                Place(dialog);
        });
        return false;
    }

private:
    static void Place(QDialog* dialog)
    {
        PlaceOverOwner(dialog);
        // Not a position of the user's: the next showing is placed again.
        dialog->setAttribute(Qt::WA_Moved, false);
    }
};

} // namespace

QWidget* OwningWindow(const QWidget* dialog)
{
    QWidget* owner = dialog && dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    while (owner && owner->windowFlags().testFlag(Qt::FramelessWindowHint) && owner->parentWidget())
        owner = owner->parentWidget()->window();
    if (!owner || owner == dialog || !owner->isVisible()) {
        QWidget* active = QApplication::activeWindow();
        owner = active && active != dialog ? active : nullptr;
    }
    return owner;
}

void PlaceOverOwner(QWidget* dialog)
{
    if (!dialog)
        return;
    const QWidget* owner = OwningWindow(dialog);
    QScreen* screen = owner ? owner->screen() : dialog->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect over = owner ? owner->frameGeometry() : area;
    if (over.isEmpty())
        return;
    // The frame's size when the window manager has told it; else the inside.
    const QSize frame = dialog->frameGeometry().size().expandedTo(dialog->size());
    QPoint topLeft = over.center() - QPoint(frame.width() / 2, frame.height() / 2);
    if (!area.isEmpty()) {
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())));
        topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
    }
    dialog->move(topLeft);
}

int TitleWidth(const QString& title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleChrome;
}

void InstallDialogPlacement()
{
    static CDialogPlacer* placer = nullptr;
    if (!placer && qApp) {
        placer = new CDialogPlacer(qApp);
        qApp->installEventFilter(placer);
    }
}
