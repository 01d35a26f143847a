#include "ui/dialogs/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kTickMs = 40;   // one step of the roll: 25 steps a second
constexpr int kStepPixels = 1; // pixels the credits move at each step
}

// The strip the credits roll through: each line enters at the bottom edge and
// leaves at the top; after the last line has left, the roll starts again.
class CAboutDialog::CCreditsStrip : public QWidget {
public:
    explicit CCreditsStrip(QStringList lines, QWidget* parent) : QWidget(parent), m_lines(std::move(lines))
    {
        setMinimumSize(320, 120);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(0x10, 0x2a, 0x5c));
        setPalette(p);
    }

    void Step()
    {
        const int total = height() + LineHeight() * static_cast<int>(m_lines.size());
        m_offset += kStepPixels;
        m_rolled += kStepPixels;
        if (m_offset > total)
            m_offset = 0;
        update();
    }

    int Rolled() const { return m_rolled; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const int line = LineHeight();
        int y = height() - m_offset;
        for (const QString& text : m_lines) {
            if (y > -line && y < height()) {
                const bool heading = text.endsWith(QLatin1Char(':'));
                QFont font = painter.font();
                font.setBold(heading);
                painter.setFont(font);
                painter.setPen(heading ? QColor(0xf0, 0xc2, 0x4a) : QColor(Qt::white));
                painter.drawText(QRect(0, y, width(), line), Qt::AlignHCenter | Qt::AlignVCenter, text);
            }
            y += line;
        }
    }

private:
    int LineHeight() const { return fontMetrics().height() + 4; }

    QStringList m_lines;
    int m_offset = 0; // pixels the first line has risen above the bottom edge
    int m_rolled = 0; // pixels rolled in all
};

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Vantorel"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/app.svg")).pixmap(64, 64));
    auto* text = new QLabel(QStringLiteral("<b>Vantorel 2.10</b><br>Packaging design and product rendering.<br>"
                                           "Copyright &copy; The Vantorel developers"),
                            this);
    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addWidget(text, 1);

    m_strip = new CCreditsStrip(Credits(), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(m_strip, 1);
    layout->addWidget(buttons);

    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, [this] { m_strip->Step(); });
    m_timer->start(kTickMs);
}

QStringList CAboutDialog::Credits()
{
    return {QStringLiteral("Design and programming:"), QStringLiteral("The Vantorel developers"), QString(),
            QStringLiteral("Built with:"), QStringLiteral("Qt"), QStringLiteral("FreeType and Fontconfig"),
            QStringLiteral("libpng and zlib"), QStringLiteral("libjpeg-turbo"), QStringLiteral("libtiff"), QString(),
            QStringLiteral("Thank you for using Vantorel!")};
}

int CAboutDialog::ScrollOffset() const { return m_strip->Rolled(); }
