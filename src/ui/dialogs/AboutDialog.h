#pragma once
// The About box: the program's icon, name, version and copyright, and the
// credits rolling upwards in a strip below them. A timer of the dialog moves
// the strip, so the animation lives only while the box is shown.

#include <QDialog>
#include <QStringList>

class QTimer;

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);

    // The credits in the order they roll by.
    static QStringList Credits();
    // Pixels the credits have rolled since the box was opened (for tests).
    int ScrollOffset() const;

private:
    class CCreditsStrip;
    CCreditsStrip* m_strip = nullptr;
    QTimer* m_timer = nullptr;
};
