#pragma once
// Shared set-up of the desktop tests: a main window holding a box product
// whose faces are plain white pictures of known sizes, and no modal boxes;
// the program's and Qt's headers that most desktop tests use, listed once.

#include "app/VtwinDoc.h"
#include "app/undo/UndoStore.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "ground/AppFolders.h"
#include "image/Raster.h"
#include "layout/objects/DrawObjectList.h"
#include "properties/settings/SettingTable.h"
#include "render/RenderPipeline.h"
#include "ui/canvas/FaceCanvas.h"
#include "ui/grid/PropertyGrid.h"
#include "ui/render/RenderPage.h"
#include "ui/shell/Application.h"
#include "ui/shell/CommandIds.h"
#include "ui/shell/MainFrame.h"
#include "ui/shell/VtwinView.h"
#include "ui/widgets/ColorButton.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/RasterImage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QSignalSpy>
#include <QSlider>
#include <QStringList>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QWheelEvent>
#include <memory>

struct CTestMessages {
    QStringList messages;
    QStringList questions;
    EAnswer answer = EAnswer::No;

    void Install()
    {
        SetMessageHooks([this](const QString& t, EMessageIcon) { messages << t; },
                        [this](const QString& t, bool) {
                            questions << t;
                            return answer;
                        });
    }
    // Forgets what was shown and answers No from now on.
    void Reset()
    {
        *this = CTestMessages();
        Install();
    }
};

// The undo store's last step: its description, and the Undo entry's text.
inline QString TopUndo() { return QString::fromStdString(CUndoStore::Instance().TopUndoDescription()); }
inline std::string UndoMenuText() { return CUndoStore::Instance().GetUndoMenuText(); }

inline std::unique_ptr<CRaster> WhitePicture(int w, int h)
{
    auto r = std::make_unique<CRaster>();
    r->Create(w, h, 24);
    r->ToWhite();
    return r;
}

// A box with every face `w` x `h` pixels, white (black when `dark`), and a
// background of the same size.
inline void GiveBoxProduct(CMainFrame& frame, int w = 200, int h = 100, bool dark = false)
{
    auto product = CreateProduct("BOX");
    for (const char* key : {"F", "L", "R", "U", "D", "G"}) {
        product->GetOrCreateSide(key).SetPicture(WhitePicture(w, h));
        if (dark)
            product->GetOrCreateSide(key).GetPicture()->Clear(0);
    }
    frame.Document()->NewProject(std::move(product));
    frame.DocumentChanged();
}

// Shows a window (at `size` when one is given) and waits until it is on the screen.
inline bool Shown(QWidget& window, QSize size = {})
{
    if (size.isValid())
        window.resize(size);
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

// A shown 1200 x 900 main window holding the box of GiveBoxProduct with its
// Front tab current: the canvas tests draw on it with the mouse. False when
// the window was never exposed or the tab not shown.
inline bool ShowBoxOnFront(std::unique_ptr<CMainFrame>& frame, int w = 200, int h = 100)
{
    frame = std::make_unique<CMainFrame>(QString());
    if (!Shown(*frame, {1200, 900}))
        return false;
    GiveBoxProduct(*frame, w, h);
    // Tests place objects to the pixel; the one that checks snapping turns it on.
    frame->View()->Canvas()->SetSnapping(false);
    return frame->View()->SelectTab(QStringLiteral("Front"));
}

// Shows the Render tab and waits for its rendering: true when both succeed.
inline bool ShowRenderTab(CMainFrame& frame)
{
    return frame.View()->SelectTab(QStringLiteral("Render")) && frame.View()->WaitForRendering();
}

// Window point of a face point on the canvas.
inline QPoint At(const CFaceCanvas& canvas, int fx, int fy)
{
    const CFaceMapping& m = canvas.Mapping();
    return {m.FaceToWindowX(fx), m.FaceToWindowY(fy)};
}

// An object's box from its lowest to its highest corner (face pixels, y up).
inline QRect Box(const CDrawObject& o) { return QRect(QPoint(o.GetMinX(), o.GetMinY()), QPoint(o.GetMaxX(), o.GetMaxY())); }

inline CDrawObjectList& FaceList(CMainFrame& frame, const char* key)
{
    return *dynamic_cast<CDrawObjectList*>(&frame.Document()->GetFaceObjects(key));
}

// The mnemonic of a menu or control text: the character after a single "&"
// ("&&" is a plain ampersand); 0 when there is none. Text after a tab is the
// shortcut.
inline QChar Mnemonic(const QString& text)
{
    const QString label = text.section(QLatin1Char('\t'), 0, 0);
    for (int i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != QLatin1Char('&'))
            continue;
        if (label[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return label[i + 1].toLower();
    }
    return QChar();
}

// The buttons and labels `window` shows (as it would when shown) that share
// a mnemonic, as "a / b".
inline QStringList MnemonicClashes(QWidget& window)
{
    QHash<QChar, QString> seen;
    QStringList clashes;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window))
            continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            text = l->buddy() ? l->text() : QString();
        const QChar m = Mnemonic(text);
        if (m.isNull())
            continue;
        if (seen.contains(m))
            clashes << seen.value(m) + QStringLiteral(" / ") + text;
        else
            seen.insert(m, text);
    }
    return clashes;
}

// Entries of a menu (and, in turn, its submenus) that share a mnemonic, as
// "menu: a / b". Hidden entries cannot be reached and do not count.
inline void FindClashes(const QString& name, const QList<QAction*>& actions, QStringList& clashes)
{
    QHash<QChar, QString> seen;
    for (QAction* a : actions) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        const QChar m = Mnemonic(a->text());
        if (!m.isNull() && seen.contains(m))
            clashes << QStringLiteral("%1: %2 / %3").arg(name, seen.value(m), a->text());
        else if (!m.isNull())
            seen.insert(m, a->text());
        if (a->menu())
            FindClashes(name + QLatin1String(" > ") + a->text(), a->menu()->actions(), clashes);
    }
}
