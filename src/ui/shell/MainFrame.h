#pragma once
// The main window: menus, the "Main Toolbar", "Edit Toolbar" and "Draw Toolbar",
// the status bar with its progress bar, recent files, drag and drop of project
// files, and the file commands. Commands are actions keyed by their command
// number; one table holds what each does and when it is enabled, the view
// adding the ones that concern the document.

#include "ui/shell/CommandIds.h"
#include "ui/shell/CommandTable.h"

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QToolBar;
class CVtwinView;
class CGeometryBar;
class CObjectsPanel;
class CPreviewDock;
class CColorButton;
class CRecentFileList;
class CVtwinDoc;
class CAppFolders;
class CProjectGuard;
class CRecoveryKeeper;

class QUrl;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `recentStorage` is the INI file holding the recent-file list (may be empty).
    explicit CMainFrame(const QString& recentStorage, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CVtwinView* View() const { return m_view; }
    CVtwinDoc* Document() const { return m_doc.get(); }
    // Folders of the run (for new projects, settings and the recovery of
    // unsaved work); may be null in tests.
    void SetFolders(const CAppFolders* folders);
    CRecoveryKeeper* Recovery() const { return m_recovery.get(); }
    // Offers the work earlier runs left unsaved ("Recover Unsaved Work").
    void OfferRecovery();
    const CAppFolders* Folders() const { return m_folders; }
    // Shows what the document holds now: menus, tabs, title, colours.
    void DocumentChanged();
    QAction* Action(int id) const { return m_actions.value(id, nullptr); }
    QToolBar* MainToolBar() const { return m_mainBar; }
    QToolBar* EditToolBar() const { return m_editBar; }
    QToolBar* DrawToolBar() const { return m_drawBar; }
    CColorButton* FillColorButton() const { return m_fillButton; }
    CColorButton* LineColorButton() const { return m_lineButton; }
    QProgressBar* ProgressBar() const { return m_progress; }
    CPreviewDock* PreviewDock() const { return m_previewDock; }
    CObjectsPanel* ObjectsPanel() const { return m_objectsPanel; }
    CGeometryBar* GeometryBar() const { return m_geometryBar; }
    const CRecentFileList& RecentFiles() const { return *m_recent; }

    // Runs a command as if chosen from the menu, after its state agreed;
    // false when the command is disabled.
    bool RunCommand(int id);
    // Updates every action from its command's state (enable, check, texts).
    void UpdateCommandUI();

    // Opens the user manual in the browser; tests replace it to see the page asked for.
    static std::function<bool(const QUrl&)>& HelpOpener();

    // Full menus when the document has a product, else File, View and Help only.
    void SetFullMenus(bool full);

    // File commands; the return value tells whether the document changed hands.
    bool OpenProject(const QString& path);
    bool SaveProject(const QString& path);
    // Offers to save a modified document. False when the user cancelled.
    bool SaveModified();

    void ShowStatus(const QString& text);
    // Progress display of long operations: -1 hides the bar.
    void SetProgress(int percent, const QString& text = QString());

    // Brings the window to the front (single-instance activation).
    void Activate();
    // Opens a project another start handed over: at once when no dialog or
    // menu is open, else as soon as it has closed, so that nothing changes
    // the document under a running dialog.
    void OpenWhenIdle(const QString& path);

    void UpdateTitle();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* AddAction(int id, const QString& text, const QString& prompt, const QString& icon = QString(),
                       const QKeySequence& key = QKeySequence());
    void BuildActions();
    // The actions of each part of the menus, with their prompts and shortcuts.
    void AddFileActions();
    void AddEditActions();
    void AddArrangeActions();
    void AddViewActions();
    void AddDrawActions();
    void AddOutputActions();
    // The property grid, the preview, the objects panel and the position
    // bar, connected to the view's signals.
    void BuildPanels();
    void BuildMenus();
    void BuildFileMenu(QMenuBar* bar);
    void BuildEditMenu(QMenuBar* bar);
    // Edit's submenus: Nudge, Ordering, Center in Image, Align, Make Same Size, Rotate.
    void AddArrangeMenus(QMenu* edit);
    void BuildViewMenu(QMenuBar* bar);
    void BuildDrawMenu(QMenuBar* bar);
    // View > Rulers, Snap, Clear Guides (remembered in [GUI] Rulers, Snap).
    void AddGuideActions();
    void BuildToolBars();
    void BuildStatusBar();
    void RebuildRecentMenu();
    // The window's own commands: files, bars, colours of new objects, outputs.
    void AddFrameCommands();
    void OnCommand(int id);
    void UpdateOne(int id, QAction* action);

    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnAbout();
    void OnHelpContents();

    CCommandTable m_commands;
    CVtwinView* m_view = nullptr;
    CPreviewDock* m_previewDock = nullptr;
    CObjectsPanel* m_objectsPanel = nullptr;
    CGeometryBar* m_geometryBar = nullptr;
    QHash<int, QAction*> m_actions;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_drawMenu = nullptr;
    QMenu* m_faceMenu = nullptr;
    QMenu* m_renderMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_zoomMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recentActions;
    QToolBar* m_mainBar = nullptr;
    QToolBar* m_editBar = nullptr;
    QToolBar* m_drawBar = nullptr;
    CColorButton* m_fillButton = nullptr;
    CColorButton* m_lineButton = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QLabel* m_positionLabel = nullptr;
    QProgressBar* m_progress = nullptr;
    std::unique_ptr<CRecentFileList> m_recent;
    std::unique_ptr<CProjectGuard> m_guard;
    std::unique_ptr<CRecoveryKeeper> m_recovery;
    std::unique_ptr<CVtwinDoc> m_doc;
    const CAppFolders* m_folders = nullptr;
    bool m_fullMenus = true;
};
