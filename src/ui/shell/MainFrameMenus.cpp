// The main window's commands and where they appear: the actions with their
// shortcuts, the menus, the toolbars and the status bar.
#include "ui/shell/MainFrame.h"

#include "ground/AppFolders.h"
#include "ui/canvas/FaceCanvas.h"
#include "ui/canvas/GeometryBar.h"
#include "ui/canvas/ObjectsPanel.h"
#include "ui/render/PreviewDock.h"

#include "ui/shell/CommandIds.h"
#include "ui/shell/RecentFileList.h"
#include "ui/shell/VtwinView.h"
#include "ui/widgets/ColorButton.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

QAction* CMainFrame::AddAction(int id, const QString& text, const QString& prompt, const QString& icon,
                               const QKeySequence& key)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("cmd%1").arg(id));
    action->setData(id);
    // The prompt is "status text\ntooltip".
    const int nl = prompt.indexOf(QLatin1Char('\n'));
    action->setStatusTip(nl >= 0 ? prompt.left(nl) : prompt);
    if (nl >= 0)
        action->setToolTip(prompt.mid(nl + 1));
    if (!icon.isEmpty())
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(icon)));
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    connect(action, &QAction::triggered, this, [this, id]() { OnCommand(id); });
    addAction(action);
    m_actions.insert(id, action);
    return action;
}

void CMainFrame::BuildActions()
{
    AddFileActions();
    AddEditActions();
    AddArrangeActions();
    AddViewActions();
    AddDrawActions();
    AddOutputActions();
}

void CMainFrame::AddFileActions()
{
    AddAction(ID_FILE_NEW, "&New...", "Create a new project\nNew", "file_new", QKeySequence::New);
    AddAction(ID_FILE_OPEN, "&Open...", "Open an existing project\nOpen", "file_open", QKeySequence::Open);
    AddAction(ID_FILE_SAVE, "&Save", "Save the active project\nSave", "file_save", QKeySequence::Save);
    AddAction(ID_FILE_SAVE_AS, "Save &As...", "Save the active project with a new name\nSave As");
    AddAction(ID_FILE_EXPORT_ARTWORK, "Export Artwork (&PDF)...",
              "Save the faces laid out flat at true size, with bleed and dieline, as a print PDF\nExport Artwork");
    AddAction(ID_FILE_EXPORT_MODEL, "Export 3D &Model...",
              "Save the product as a glTF model for web and AR viewers\nExport 3D Model");
    AddAction(ID_FACE_APPEARANCE, "&Appearance...",
              "Change the colour, gradient, pattern, texture or picture of the face shown\nFace Appearance");
    AddAction(ID_FACE_ADD_BACK, "Add &Back Face",
              "Give the product a printed back face, starting with the front's look\nAdd Back Face");
    AddAction(ID_APP_EXIT, "E&xit", "Quit the application; prompts to save the project\nExit");
}

void CMainFrame::AddEditActions()
{
    AddAction(ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Undo the last action\nUndo", "edit_undo", QKeySequence("Ctrl+Z"));
    AddAction(ID_EDIT_REDO, "&Redo\tCtrl+Y", "Redo the previously undone action\nRedo", "edit_redo",
              QKeySequence("Ctrl+Y"));
    AddAction(ID_EDIT_CUT, "Cu&t", "Cut the selection and put it on the Clipboard\nCut", "edit_cut",
              QKeySequence("Ctrl+X"));
    AddAction(ID_EDIT_COPY, "&Copy", "Copy the selection and put it on the Clipboard\nCopy", "edit_copy",
              QKeySequence("Ctrl+C"));
    AddAction(ID_EDIT_PASTE, "&Paste", "Insert Clipboard contents\nPaste", "edit_paste", QKeySequence("Ctrl+V"));
    AddAction(ID_EDIT_PASTE_IN_PLACE, "Paste In Place",
              "Insert the objects on the Clipboard where they were copied from\nPaste In Place",
              QString(), QKeySequence("Ctrl+Shift+V"));
    AddAction(ID_EDIT_DELETE, "&Delete", "Delete the selected objects\nDelete", "edit_delete",
              QKeySequence(Qt::Key_Delete));
    AddAction(ID_EDIT_DUPLICATE, "Dupl&icate", "Duplicate the selected objects\nDuplicate", "edit_duplicate");
    AddAction(ID_OBJECT_PROPERTIES, "Propertie&s...", "Edit the properties of the selected objects\nProperties",
              "edit_properties", QKeySequence(Qt::Key_F4));
    AddAction(ID_FILL_COLOR, "&Fill Color", "Choose the fill color of new objects\nFill Color", "color_fill");
    AddAction(ID_LINE_COLOR, "Line &Color", "Choose the line color of new objects\nLine Color", "color_line");
    AddAction(ID_COLORS, "Co&lors...", "Choose the line and fill colors of new objects\nColors", "colors");
}

// Nudge, order, centre, align, distribute, make the same size and rotate the selection.
void CMainFrame::AddArrangeActions()
{
    AddAction(ID_NUDGE_UP, "&Up", "Move the selected objects one pixel up\nNudge Up", QString(),
              QKeySequence("Shift+Up"));
    AddAction(ID_NUDGE_DOWN, "&Down", "Move the selected objects one pixel down\nNudge Down", QString(),
              QKeySequence("Shift+Down"));
    AddAction(ID_NUDGE_LEFT, "&Left", "Move the selected objects one pixel left\nNudge Left", QString(),
              QKeySequence("Shift+Left"));
    AddAction(ID_NUDGE_RIGHT, "&Right", "Move the selected objects one pixel right\nNudge Right", QString(),
              QKeySequence("Shift+Right"));
    AddAction(ID_ORDER_BRING_TO_FRONT, "Bring To &Front", "Bring the selected objects to the front\nBring To Front",
              "order_front");
    AddAction(ID_ORDER_SEND_TO_BACK, "Send To &Back", "Send the selected objects to the back\nSend To Back",
              "order_back");
    AddAction(ID_ORDER_BRING_FORWARD, "Bring F&orward", "Bring the selected objects forward\nBring Forward",
              "order_forward");
    AddAction(ID_ORDER_SEND_BACKWARD, "Send Bac&kward", "Send the selected objects backward\nSend Backward",
              "order_backward");
    AddAction(ID_CENTER_HORIZONTAL, "&Horizontal", "Center the selected objects horizontally\nCenter Horizontal",
              "center_horz", QKeySequence("Ctrl+Shift+F9"));
    AddAction(ID_CENTER_VERTICAL, "&Vertical", "Center the selected objects vertically\nCenter Vertical",
              "center_vert", QKeySequence("Ctrl+F9"));
    AddAction(ID_ALIGN_LEFT, "&Left", "Align the left edges\nAlign Left", "align_left", QKeySequence("Ctrl+Left"));
    AddAction(ID_ALIGN_HCENTER, "&Horizontal Center", "Align the horizontal centers\nAlign Horizontal Center",
              "align_hcenter", QKeySequence("Shift+F9"));
    AddAction(ID_ALIGN_RIGHT, "&Right", "Align the right edges\nAlign Right", "align_right",
              QKeySequence("Ctrl+Right"));
    AddAction(ID_ALIGN_TOP, "&Top", "Align the top edges\nAlign Top", "align_top", QKeySequence("Ctrl+Up"));
    AddAction(ID_ALIGN_VCENTER, "&Vertical Center", "Align the vertical centers\nAlign Vertical Center",
              "align_vcenter", QKeySequence(Qt::Key_F9));
    AddAction(ID_ALIGN_BOTTOM, "&Bottom", "Align the bottom edges\nAlign Bottom", "align_bottom",
              QKeySequence("Ctrl+Down"));
    AddAction(ID_ALIGN_TO_LEFT_OF, "To Left &Of", "Place the objects left of the dominant object\nAlign To Left Of");
    AddAction(ID_ALIGN_TO_RIGHT_OF, "To Right O&f",
              "Place the objects right of the dominant object\nAlign To Right Of");
    AddAction(ID_ALIGN_ABOVE, "&Above", "Place the objects above the dominant object\nAlign Above");
    AddAction(ID_ALIGN_BELOW, "Belo&w", "Place the objects below the dominant object\nAlign Below");
    AddAction(ID_DISTRIBUTE_HORIZONTAL, "&Distribute Horizontally",
              "Spread the selected objects evenly from left to right\nDistribute Horizontally");
    AddAction(ID_DISTRIBUTE_VERTICAL, "Di&stribute Vertically",
              "Spread the selected objects evenly from top to bottom\nDistribute Vertically");
    AddAction(ID_SAME_WIDTH, "&Width", "Give the objects the dominant object's width\nSame Width", "same_width");
    AddAction(ID_SAME_HEIGHT, "&Height", "Give the objects the dominant object's height\nSame Height",
              "same_height");
    AddAction(ID_SAME_SIZE, "&Both", "Give the objects the dominant object's size\nSame Size", "same_size");
    AddAction(ID_ROTATE_LEFT, "&Left", "Rotate the selected objects a quarter turn left\nRotate Left",
              "rotate_left");
    AddAction(ID_ROTATE_RIGHT, "&Right", "Rotate the selected objects a quarter turn right\nRotate Right",
              "rotate_right");
}

// Bars, tabs and zoom.
void CMainFrame::AddViewActions()
{
    AddAction(ID_VIEW_TOOLBAR, "Ma&in Toolbar", "Show or hide the main toolbar\nToggle Main Toolbar");
    AddAction(ID_VIEW_EDIT_TOOLBAR, "&Edit Toolbar", "Show or hide the edit toolbar\nToggle Edit Toolbar");
    AddAction(ID_VIEW_DRAW_TOOLBAR, "&Draw Toolbar", "Show or hide the draw toolbar\nToggle Draw Toolbar");
    AddAction(ID_VIEW_STATUS_BAR, "Stat&us Bar", "Show or hide the status bar\nToggle Status Bar");
    const struct {
        int id;
        const char* text;
    } tabs[] = {{ID_TAB_FRONT, "&Front"},        {ID_TAB_SPINE, "&Spine"},
                {ID_TAB_LEFT, "&Left"},          {ID_TAB_RIGHT, "&Right"},
                {ID_TAB_TOP, "&Top"},            {ID_TAB_BOTTOM, "&Bottom"},
                {ID_TAB_BACK, "Bac&k"},
                {ID_TAB_PAGES_LEFT, "&Pages (Left)"},    {ID_TAB_PAGES_RIGHT, "Pages (Rig&ht)"},
                {ID_TAB_PAGES_TOP, "Pages (T&op)"},      {ID_TAB_PAGES_BOTTOM, "Pages (Botto&m)"},
                {ID_TAB_CDROM, "&CD-ROM"},       {ID_TAB_BACKGROUND, "Back&ground"},
                {ID_TAB_LAYOUT, "L&ayout"},      {ID_TAB_RENDER, "Re&nder"}};
    for (const auto& t : tabs) {
        const QString name = CVtwinView::TabNameOfCommand(t.id);
        AddAction(t.id, QString::fromLatin1(t.text), QStringLiteral("Show the %1 tab\n%1").arg(name), QString(),
                  t.id == ID_TAB_RENDER ? QKeySequence(Qt::Key_F5) : QKeySequence());
    }
    AddAction(ID_TAB_NEXT, "Ne&xt", "Show the next tab\nNext", QString(), QKeySequence("Ctrl+PgDown"));
    AddAction(ID_TAB_PREVIOUS, "Pre&vious", "Show the previous tab\nPrevious", QString(), QKeySequence("Ctrl+PgUp"));
    AddAction(ID_ZOOM_FIT, "&Fit To Window", "Fit the face into the window\nFit To Window", "zoom_fit",
              QKeySequence("Ctrl+0"));
    AddAction(ID_ZOOM_25, "&25%", "Zoom to 25%\n25%");
    AddAction(ID_ZOOM_50, "&50%", "Zoom to 50%\n50%");
    AddAction(ID_ZOOM_100, "&100%", "Zoom to 100%\n100%", QString(), QKeySequence("Ctrl+1"));
    AddAction(ID_ZOOM_200, "2&00%", "Zoom to 200%\n200%");
    AddAction(ID_ZOOM_400, "&400%", "Zoom to 400%\n400%");
    AddAction(ID_ZOOM_800, "&800%", "Zoom to 800%\n800%");
    AddAction(ID_ZOOM_1600, "1&600%", "Zoom to 1600%\n1600%");
    AddAction(ID_ZOOM_CUSTOM, "&Custom Zoom...", "Zoom to a percentage of your choice\nCustom Zoom");
    // Ctrl and the key with "+" on it, whether or not Shift is needed for it;
    // the plain keys as before.
    AddAction(ID_ZOOM_IN, "Zoom &In", "Zoom in\nZoom In", "zoom_in", QKeySequence("Ctrl++"))
        ->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+="), QKeySequence(Qt::Key_Plus)});
    AddAction(ID_ZOOM_OUT, "Zoom &Out", "Zoom out\nZoom Out", "zoom_out", QKeySequence("Ctrl+-"))
        ->setShortcuts({QKeySequence("Ctrl+-"), QKeySequence(Qt::Key_Minus)});
}

// The tools of the Draw menu with their one-key shortcuts, and Margin.
void CMainFrame::AddDrawActions()
{
    AddAction(ID_TOOL_SELECT, "&Select Objects", "Select, move and resize objects\nSelect Objects", "tool_select",
              QKeySequence(Qt::Key_V));
    AddAction(ID_TOOL_LINE, "&Line", "Draw a line\nLine", "tool_line", QKeySequence(Qt::Key_L));
    AddAction(ID_TOOL_RECT, "Outlined &Rectangle", "Draw an outlined rectangle\nOutlined Rectangle",
              "tool_rect_outline", QKeySequence(Qt::Key_R));
    AddAction(ID_TOOL_RECT_FILLED, "Filled R&ectangle", "Draw a filled rectangle\nFilled Rectangle",
              "tool_rect_filled");
    AddAction(ID_TOOL_RECT_BOTH, "Outlined Filled Rect&angle",
              "Draw an outlined filled rectangle\nOutlined Filled Rectangle", "tool_rect_both");
    AddAction(ID_TOOL_ELLIPSE, "O&utlined Ellipse", "Draw an outlined ellipse\nOutlined Ellipse",
              "tool_ellipse_outline", QKeySequence(Qt::Key_E));
    AddAction(ID_TOOL_ELLIPSE_FILLED, "Filled Elli&pse", "Draw a filled ellipse\nFilled Ellipse",
              "tool_ellipse_filled");
    AddAction(ID_TOOL_ELLIPSE_BOTH, "Outline&d Filled Ellipse",
              "Draw an outlined filled ellipse\nOutlined Filled Ellipse", "tool_ellipse_both");
    AddAction(ID_TOOL_POLYGON, "Outlined Poly&gon", "Draw an outlined polygon\nOutlined Polygon",
              "tool_polygon_outline", QKeySequence(Qt::Key_P));
    AddAction(ID_TOOL_POLYGON_FILLED, "Filled P&olygon", "Draw a filled polygon\nFilled Polygon",
              "tool_polygon_filled");
    AddAction(ID_TOOL_POLYGON_BOTH, "Outlined Filled Pol&ygon",
              "Draw an outlined filled polygon\nOutlined Filled Polygon", "tool_polygon_both");
    AddAction(ID_TOOL_POLYLINE, "Polyli&ne", "Draw a polyline\nPolyline", "tool_polyline");
    AddAction(ID_TOOL_TEXT, "&Text", "Place a text\nText", "tool_text", QKeySequence(Qt::Key_T));
    AddAction(ID_TOOL_PICTURE, "P&icture", "Place a picture from a file\nPicture", "tool_picture",
              QKeySequence(Qt::Key_I));
    AddAction(ID_TOOL_BARCODE, "&Barcode", "Place a barcode\nBarcode", "tool_barcode", QKeySequence(Qt::Key_B));
    AddAction(ID_MARGIN, "&Margin...", "Add a margin band or corner triangle to the face\nMargin", "margin",
              QKeySequence(Qt::Key_M));
}

// Render and Help.
void CMainFrame::AddOutputActions()
{
    AddAction(ID_RENDER_TO_CLIPBOARD, "Render To &Clipboard",
              "Render the project and copy the result to the Clipboard\nRender To Clipboard", "render_clipboard");
    AddAction(ID_RENDER_TO_FILE, "Render To &File...",
              "Render the project and save the result to a picture file\nRender To File", "render_file");
    AddAction(ID_RENDER_CUT_OUT_TO_CLIPBOARD, "Render Cut-Out To Cli&pboard",
              "Render the project with its background left out and copy the result, transparency and all, to the "
              "Clipboard\nRender Cut-Out To Clipboard");
    // Help
    AddAction(ID_HELP_FINDER, "&Contents", "Open the user manual in the web browser\nContents", "app_about",
              QKeySequence(Qt::Key_F1));
    AddAction(ID_APP_ABOUT, "&About Vantorel...", "Display program information, version number and copyright\nAbout",
              "app_about");
}

void CMainFrame::BuildMenus()
{
    QMenuBar* bar = menuBar();
    auto A = [this](int id) { return m_actions.value(id); };
    BuildFileMenu(bar);
    BuildEditMenu(bar);
    BuildViewMenu(bar);
    BuildDrawMenu(bar);

    m_faceMenu = bar->addMenu(QStringLiteral("Fa&ce"));
    m_faceMenu->addAction(A(ID_FACE_APPEARANCE));
    m_faceMenu->addAction(A(ID_FACE_ADD_BACK));

    m_renderMenu = bar->addMenu(QStringLiteral("&Render"));
    m_renderMenu->addAction(A(ID_RENDER_TO_CLIPBOARD));
    m_renderMenu->addAction(A(ID_RENDER_TO_FILE));
    m_renderMenu->addAction(A(ID_RENDER_CUT_OUT_TO_CLIPBOARD));

    m_helpMenu = bar->addMenu(QStringLiteral("&Help"));
    m_helpMenu->addAction(A(ID_HELP_FINDER));
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(A(ID_APP_ABOUT));

    // Texts that depend on the state (undo, custom zoom) are refreshed when
    // a menu opens, like the framework's update handlers.
    for (QMenu* menu :
         {m_fileMenu, m_editMenu, m_viewMenu, m_drawMenu, m_faceMenu, m_renderMenu, m_helpMenu, m_zoomMenu})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::BuildFileMenu(QMenuBar* bar)
{
    auto A = [this](int id) { return m_actions.value(id); };
    m_fileMenu = bar->addMenu(QStringLiteral("&File"));
    m_fileMenu->addAction(A(ID_FILE_NEW));
    m_fileMenu->addAction(A(ID_FILE_OPEN));
    m_fileMenu->addAction(A(ID_FILE_SAVE));
    m_fileMenu->addAction(A(ID_FILE_SAVE_AS));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(A(ID_FILE_EXPORT_ARTWORK));
    m_fileMenu->addAction(A(ID_FILE_EXPORT_MODEL));
    m_recentSeparator = m_fileMenu->addSeparator();
    for (int i = 0; i < CRecentFileList::kSize; ++i) {
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("cmd%1").arg(ID_FILE_MRU_FILE1 + i));
        connect(action, &QAction::triggered, this, [this, i]() {
            if (i < m_recent->Files().size()) {
                const QString path = m_recent->Files()[i];
                if (SaveModified())
                    OpenProject(path);
            }
        });
        m_recentActions << action;
        m_fileMenu->addAction(action);
    }
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(A(ID_APP_EXIT));
}

void CMainFrame::BuildEditMenu(QMenuBar* bar)
{
    auto A = [this](int id) { return m_actions.value(id); };
    m_editMenu = bar->addMenu(QStringLiteral("&Edit"));
    m_editMenu->addAction(A(ID_EDIT_UNDO));
    m_editMenu->addAction(A(ID_EDIT_REDO));
    m_editMenu->addSeparator();
    m_editMenu->addAction(A(ID_EDIT_CUT));
    m_editMenu->addAction(A(ID_EDIT_COPY));
    m_editMenu->addAction(A(ID_EDIT_PASTE));
    m_editMenu->addAction(A(ID_EDIT_PASTE_IN_PLACE));
    m_editMenu->addAction(A(ID_EDIT_DELETE));
    m_editMenu->addAction(A(ID_EDIT_DUPLICATE));
    m_editMenu->addSeparator();
    AddArrangeMenus(m_editMenu);
    m_editMenu->addSeparator();
    m_editMenu->addAction(A(ID_OBJECT_PROPERTIES));
    m_editMenu->addAction(A(ID_COLORS));
}

void CMainFrame::AddArrangeMenus(QMenu* edit)
{
    auto A = [this](int id) { return m_actions.value(id); };
    QMenu* nudge = edit->addMenu(QStringLiteral("&Nudge"));
    for (int id : {ID_NUDGE_UP, ID_NUDGE_DOWN, ID_NUDGE_LEFT, ID_NUDGE_RIGHT})
        nudge->addAction(A(id));
    QMenu* order = edit->addMenu(QStringLiteral("&Ordering"));
    for (int id : {ID_ORDER_BRING_TO_FRONT, ID_ORDER_SEND_TO_BACK, ID_ORDER_BRING_FORWARD, ID_ORDER_SEND_BACKWARD})
        order->addAction(A(id));
    QMenu* center = edit->addMenu(QStringLiteral("Center in Ima&ge"));
    center->addAction(A(ID_CENTER_HORIZONTAL));
    center->addAction(A(ID_CENTER_VERTICAL));
    QMenu* align = edit->addMenu(QStringLiteral("&Align"));
    for (int id : {ID_ALIGN_LEFT, ID_ALIGN_HCENTER, ID_ALIGN_RIGHT, ID_ALIGN_TOP, ID_ALIGN_VCENTER, ID_ALIGN_BOTTOM})
        align->addAction(A(id));
    align->addSeparator();
    for (int id : {ID_ALIGN_TO_LEFT_OF, ID_ALIGN_TO_RIGHT_OF, ID_ALIGN_ABOVE, ID_ALIGN_BELOW})
        align->addAction(A(id));
    align->addSeparator();
    align->addAction(A(ID_DISTRIBUTE_HORIZONTAL));
    align->addAction(A(ID_DISTRIBUTE_VERTICAL));
    QMenu* same = edit->addMenu(QStringLiteral("&Make Same Size"));
    for (int id : {ID_SAME_WIDTH, ID_SAME_HEIGHT, ID_SAME_SIZE})
        same->addAction(A(id));
    QMenu* rotate = edit->addMenu(QStringLiteral("Rotat&e"));
    rotate->addAction(A(ID_ROTATE_LEFT));
    rotate->addAction(A(ID_ROTATE_RIGHT));
}

void CMainFrame::BuildViewMenu(QMenuBar* bar)
{
    auto A = [this](int id) { return m_actions.value(id); };
    m_viewMenu = bar->addMenu(QStringLiteral("&View"));
    for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_EDIT_TOOLBAR, ID_VIEW_DRAW_TOOLBAR, ID_VIEW_STATUS_BAR})
        m_viewMenu->addAction(A(id));
    m_viewMenu->addAction(m_previewDock->toggleViewAction());
    m_viewMenu->addAction(m_objectsPanel->toggleViewAction());
    m_viewMenu->addAction(m_geometryBar->toggleViewAction());
    AddGuideActions();
    m_viewMenu->addSeparator();
    for (int id : CVtwinView::TabCommands())
        m_viewMenu->addAction(A(id));
    m_viewMenu->addSeparator();
    m_viewMenu->addAction(A(ID_TAB_NEXT));
    m_viewMenu->addAction(A(ID_TAB_PREVIOUS));
    m_viewMenu->addSeparator();
    m_zoomMenu = m_viewMenu->addMenu(QStringLiteral("&Zoom"));
    m_zoomMenu->addAction(A(ID_ZOOM_FIT));
    m_zoomMenu->addSeparator();
    for (int id : {ID_ZOOM_25, ID_ZOOM_50, ID_ZOOM_100, ID_ZOOM_200, ID_ZOOM_400, ID_ZOOM_800, ID_ZOOM_1600})
        m_zoomMenu->addAction(A(id));
    m_zoomMenu->addAction(A(ID_ZOOM_CUSTOM));
    m_zoomMenu->addSeparator();
    m_zoomMenu->addAction(A(ID_ZOOM_IN));
    m_zoomMenu->addAction(A(ID_ZOOM_OUT));
}

void CMainFrame::BuildDrawMenu(QMenuBar* bar)
{
    auto A = [this](int id) { return m_actions.value(id); };
    m_drawMenu = bar->addMenu(QStringLiteral("&Draw"));
    m_drawMenu->addAction(A(ID_TOOL_SELECT));
    m_drawMenu->addSeparator();
    for (int id : {ID_TOOL_LINE, ID_TOOL_RECT, ID_TOOL_RECT_FILLED, ID_TOOL_RECT_BOTH, ID_TOOL_ELLIPSE,
                   ID_TOOL_ELLIPSE_FILLED, ID_TOOL_ELLIPSE_BOTH, ID_TOOL_POLYGON, ID_TOOL_POLYGON_FILLED,
                   ID_TOOL_POLYGON_BOTH, ID_TOOL_POLYLINE})
        m_drawMenu->addAction(A(id));
    m_drawMenu->addSeparator();
    for (int id : {ID_TOOL_TEXT, ID_TOOL_PICTURE, ID_TOOL_BARCODE})
        m_drawMenu->addAction(A(id));
    m_drawMenu->addAction(A(ID_MARGIN));
    m_drawMenu->addSeparator();
    m_drawMenu->addAction(A(ID_FILL_COLOR));
    m_drawMenu->addAction(A(ID_LINE_COLOR));
}

void CMainFrame::BuildToolBars()
{
    auto A = [this](int id) { return m_actions.value(id); };
    m_mainBar = addToolBar(QStringLiteral("Main Toolbar"));
    m_mainBar->setObjectName(QStringLiteral("mainToolbar"));
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE})
        m_mainBar->addAction(A(id));
    m_mainBar->addSeparator();
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
        m_mainBar->addAction(A(id));
    m_mainBar->addSeparator();
    m_mainBar->addAction(A(ID_EDIT_UNDO));
    m_mainBar->addAction(A(ID_EDIT_REDO));
    m_mainBar->addSeparator();
    for (int id : {ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_FIT})
        m_mainBar->addAction(A(id));
    m_mainBar->addSeparator();
    m_mainBar->addAction(A(ID_RENDER_TO_CLIPBOARD));
    m_mainBar->addAction(A(ID_RENDER_TO_FILE));
    m_mainBar->addSeparator();
    m_mainBar->addAction(A(ID_APP_ABOUT));

    m_editBar = addToolBar(QStringLiteral("Edit Toolbar"));
    m_editBar->setObjectName(QStringLiteral("editToolbar"));
    for (int id : {ID_EDIT_DELETE, ID_EDIT_DUPLICATE, ID_OBJECT_PROPERTIES})
        m_editBar->addAction(A(id));
    m_editBar->addSeparator();
    for (int id : {ID_ORDER_BRING_TO_FRONT, ID_ORDER_SEND_TO_BACK, ID_ORDER_BRING_FORWARD, ID_ORDER_SEND_BACKWARD})
        m_editBar->addAction(A(id));
    m_editBar->addSeparator();
    for (int id : {ID_ALIGN_LEFT, ID_ALIGN_HCENTER, ID_ALIGN_RIGHT, ID_ALIGN_TOP, ID_ALIGN_VCENTER, ID_ALIGN_BOTTOM})
        m_editBar->addAction(A(id));
    m_editBar->addSeparator();
    for (int id : {ID_CENTER_HORIZONTAL, ID_CENTER_VERTICAL, ID_SAME_WIDTH, ID_SAME_HEIGHT, ID_SAME_SIZE})
        m_editBar->addAction(A(id));
    m_editBar->addSeparator();
    m_editBar->addAction(A(ID_ROTATE_LEFT));
    m_editBar->addAction(A(ID_ROTATE_RIGHT));

    addToolBarBreak();
    m_drawBar = addToolBar(QStringLiteral("Draw Toolbar"));
    m_drawBar->setObjectName(QStringLiteral("drawToolbar"));
    m_drawBar->addAction(A(ID_TOOL_SELECT));
    m_drawBar->addSeparator();
    for (int id : {ID_TOOL_LINE, ID_TOOL_RECT, ID_TOOL_RECT_FILLED, ID_TOOL_RECT_BOTH, ID_TOOL_ELLIPSE,
                   ID_TOOL_ELLIPSE_FILLED, ID_TOOL_ELLIPSE_BOTH, ID_TOOL_POLYGON, ID_TOOL_POLYGON_FILLED,
                   ID_TOOL_POLYGON_BOTH, ID_TOOL_POLYLINE, ID_TOOL_TEXT, ID_TOOL_PICTURE, ID_TOOL_BARCODE})
        m_drawBar->addAction(A(id));
    m_drawBar->addAction(A(ID_MARGIN));
    m_drawBar->addSeparator();
    m_fillButton = new CColorButton(QIcon(QStringLiteral(":/icons/color_fill.svg")), QStringLiteral("Fill Color"),
                                    m_drawBar);
    m_fillButton->setObjectName(QStringLiteral("fillColorButton"));
    m_lineButton = new CColorButton(QIcon(QStringLiteral(":/icons/color_line.svg")), QStringLiteral("Line Color"),
                                    m_drawBar);
    m_lineButton->setObjectName(QStringLiteral("lineColorButton"));
    m_drawBar->addWidget(m_fillButton);
    m_drawBar->addWidget(m_lineButton);
    m_drawBar->addAction(A(ID_COLORS));
    addToolBar(m_geometryBar);
    for (QToolBar* bar : {m_mainBar, m_editBar, m_drawBar})
        bar->setIconSize(QSize(24, 24));

    // The View menu's toolbar entries follow the bars' visibility.
    const struct {
        int id;
        QToolBar* bar;
    } bars[] = {{ID_VIEW_TOOLBAR, m_mainBar}, {ID_VIEW_EDIT_TOOLBAR, m_editBar}, {ID_VIEW_DRAW_TOOLBAR, m_drawBar}};
    for (const auto& b : bars)
        connect(b.bar, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    m_statusText = new QLabel(QStringLiteral("Ready"), bar);
    m_statusText->setObjectName(QStringLiteral("statusText"));
    bar->addWidget(m_statusText, 1);
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("statusProgress"));
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(220);
    m_progress->setTextVisible(false);
    m_progress->hide();
    bar->addPermanentWidget(m_progress);
    m_positionLabel = new QLabel(bar);
    m_positionLabel->setObjectName(QStringLiteral("statusPosition"));
    m_positionLabel->setMinimumWidth(110);
    bar->addPermanentWidget(m_positionLabel);
    m_zoomLabel = new QLabel(bar);
    m_zoomLabel->setObjectName(QStringLiteral("zoomLabel"));
    m_zoomLabel->setMinimumWidth(60);
    bar->addPermanentWidget(m_zoomLabel);
}

void CMainFrame::AddGuideActions()
{
    const auto toggle = [this](const char* text, const char* name, const char* key, auto apply) {
        auto* action = m_viewMenu->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setChecked(!Folders() || Folders()->GetUserInt("GUI", key, 1) != 0);
        apply(action->isChecked());
        connect(action, &QAction::toggled, this, [this, key, apply](bool on) {
            apply(on);
            if (Folders())
                Folders()->PutUserInt("GUI", key, on ? 1 : 0);
        });
    };
    toggle("Rulers", "rulersAction", "Rulers", [this](bool on) { m_view->ShowRulers(on); });
    toggle("Snap", "snapAction", "Snap", [this](bool on) { m_view->Canvas()->SetSnapping(on); });
    auto* clear = m_viewMenu->addAction(QStringLiteral("Clear Guides"));
    clear->setObjectName(QStringLiteral("clearGuidesAction"));
    connect(clear, &QAction::triggered, this, [this] { m_view->Canvas()->ClearGuides(); });
}
