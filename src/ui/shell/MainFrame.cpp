#include "ui/shell/MainFrame.h"

#include "ui/canvas/FaceCanvas.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/RecoverDialog.h"
#include "ui/dialogs/ExportDialogs.h"
#include "ui/dialogs/RenderOutputDialogs.h"
#include "ui/canvas/GeometryBar.h"
#include "ui/canvas/ObjectsPanel.h"
#include "ui/render/PreviewDock.h"
#include "ui/grid/PropertyGrid.h"
#include "ui/widgets/ColorButton.h"
#include "ui/widgets/RasterImage.h"
#include "ui/wizard/NewDialog.h"

#include "ground/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "layout/objects/DrawObjectList.h"
#include "render/RenderPipeline.h"
#include "ui/shell/ProjectGuard.h"
#include "ui/shell/RecoveryKeeper.h"
#include "ui/shell/RecentFileList.h"
#include "ui/shell/VtwinView.h"
#include "ui/widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QUrl>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

// The icons live in a static library: their resource must be registered by hand.
static void InitIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace {
const char* kProjectFilter = "Vantorel Project Files (*.vtp)";
}

CMainFrame::CMainFrame(const QString& recentStorage, QWidget* parent)
    : QMainWindow(parent), m_recent(std::make_unique<CRecentFileList>(recentStorage)),
      m_guard(std::make_unique<CProjectGuard>(this))
{
    InitIconResources();
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    setAcceptDrops(true);
    m_doc = std::make_unique<CVtwinDoc>(&CreateDrawObjectList);
    m_doc->SetMessageSink([this](const std::string& text) {
        ShowMessage(this, QString::fromStdString(text), EMessageIcon::Warning);
    });
    m_doc->OnNewDocument(nullptr);
    m_view = new CVtwinView(this, this);
    m_view->SetDocument(m_doc.get());
    m_view->SetFacePictureSource([this](const QString& face) -> QImage {
        CProduct* product = m_doc->GetProduct();
        if (!product)
            return {};
        const std::string key = CVtwinView::FaceKeyOfTab(face);
        // Page edges are made from the settings and the covers: bring one up
        // to date before showing it, as a rendering would.
        if (key == "r" || key == "u" || key == "d" || key == "l")
            m_view->Pipeline().Render(key, *product);
        const CSide* side = product->FindSidePtr(key);
        return side && side->GetPicture() ? RasterToQImage(*side->GetPicture()) : QImage();
    });
    setCentralWidget(m_view);
    BuildPanels();
    m_view->AddCommands(m_commands);
    AddFrameCommands();
    m_recent->Load();
    BuildActions();
    BuildMenus();
    BuildToolBars();
    BuildStatusBar();
    RebuildRecentMenu();
    connect(m_view, &CVtwinView::commandStateChanged, this, &CMainFrame::UpdateCommandUI);
    connect(m_view, &CVtwinView::modifiedChanged, this, &CMainFrame::UpdateTitle);
    // A side added or taken away (Add Back Face, its undo) changes the View menu's tab entries.
    connect(m_view, &CVtwinView::tabsRebuilt, this, [this] { SetFullMenus(m_doc->HasProduct()); });
    // Paste follows what the clipboard holds, whoever put it there.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateCommandUI);
    connect(m_view->Canvas(), &CFaceCanvas::mousePositionChanged, this, [this](int x, int y, bool on) {
        m_positionLabel->setText(on ? QStringLiteral("%1, %2").arg(x).arg(y) : QString());
    });
    // A position belongs to the face under the mouse; another tab has none.
    connect(m_view, &CVtwinView::tabChanged, this, [this]() { m_positionLabel->clear(); });
    connect(m_fillButton, &CColorButton::colorChosen, this, [this](std::uint32_t c) {
        m_view->SetFillColour(c);
        UpdateTitle();
    });
    connect(m_lineButton, &CColorButton::colorChosen, this, [this](std::uint32_t c) {
        m_view->SetLineColour(c);
        UpdateTitle();
    });
    DocumentChanged();
    UpdateTitle();
    UpdateCommandUI();
    resize(1280, 860);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::SetFolders(const CAppFolders* folders)
{
    m_folders = folders;
    m_recovery.reset();
    if (folders)
        m_recovery = std::make_unique<CRecoveryKeeper>(*m_doc, *folders, this);
}

void CMainFrame::OfferRecovery()
{
    if (!m_recovery)
        return;
    std::vector<SRecoveryEntry> entries = m_recovery->Store().FindOrphans();
    if (entries.empty())
        return;
    CRecoverDialog dialog(std::move(entries), this);
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen() || !SaveModified())
        return;
    const SRecoveryEntry entry = *dialog.Chosen();
    const QString project = QString::fromStdString(entry.projectPath);
    if (!project.isEmpty() && !m_guard->BeforeOpen(project))
        return;
    const bool ok = CRecoveryStore::Recover(*m_doc, entry);
    m_guard->AfterOpen(ok, ok && !project.isEmpty());
    if (!ok)
        return;
    // It is this program's unsaved work now.
    m_recovery->WriteNow();
    CRecoveryStore::Discard(entry);
    DocumentChanged();
}

void CMainFrame::ShowStatus(const QString& text)
{
    m_statusText->setText(text.isEmpty() ? QStringLiteral("Ready") : text);
}

void CMainFrame::SetProgress(int percent, const QString& text)
{
    if (percent < 0) {
        m_progress->hide();
        ShowStatus(QString());
        return;
    }
    // Text first, then the bar: whoever watches the bar sees the step it
    // belongs to.
    if (!text.isEmpty())
        ShowStatus(text);
    m_progress->show();
    m_progress->setValue(std::clamp(percent, 0, 100));
}

void CMainFrame::SetFullMenus(bool full)
{
    m_fullMenus = full;
    for (QMenu* menu : {m_editMenu, m_drawMenu, m_faceMenu, m_renderMenu})
        menu->menuAction()->setVisible(full);
    m_editBar->setEnabled(full);
    m_drawBar->setEnabled(full);
    // Face entries of faces the product lacks are removed from the View menu.
    const QStringList tabs = m_view->TabNames();
    for (int id : CVtwinView::TabCommands())
        m_actions.value(id)->setVisible(full && tabs.contains(CVtwinView::TabNameOfCommand(id)));
    UpdateCommandUI();
}

void CMainFrame::RebuildRecentMenu()
{
    const QStringList& files = m_recent->Files();
    for (int i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        if (i < files.size()) {
            action->setText(CRecentFileList::MenuText(i, files[i]));
            action->setStatusTip(files[i]);
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    m_recentSeparator->setVisible(!files.isEmpty());
}

void CMainFrame::UpdateOne(int id, QAction* action)
{
    CCmdUI ui;
    m_commands.Query(id, ui);
    action->setCheckable(ui.checkable);
    if (ui.checkable)
        action->setChecked(ui.checked);
    action->setEnabled(ui.enabled);
    if (!ui.text.isEmpty() && action->text() != ui.text)
        action->setText(ui.text);
}

void CMainFrame::UpdateCommandUI()
{
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it)
        UpdateOne(it.key(), it.value());
    if (m_fillButton) {
        m_fillButton->setEnabled(m_actions.value(ID_FILL_COLOR)->isEnabled());
        m_fillButton->SetColor(m_doc->GetDrawingDefaults().fillColour);
        m_lineButton->SetColor(m_doc->GetDrawingDefaults().lineColour);
    }
    if (m_lineButton)
        m_lineButton->setEnabled(m_actions.value(ID_LINE_COLOR)->isEnabled());
    // The zoom belongs to the face canvas: other tabs show none.
    if (m_zoomLabel && !m_view->IsFaceTabShown()) {
        m_zoomLabel->clear();
    } else if (m_zoomLabel) {
        const QString text = m_view->CustomZoomText();
        const int open = text.indexOf(QLatin1Char('('));
        m_zoomLabel->setText(open >= 0 ? text.mid(open + 1, text.indexOf(QLatin1Char(')')) - open - 1) : QString());
    }
}

bool CMainFrame::RunCommand(int id)
{
    QAction* action = m_actions.value(id);
    if (!action)
        return false;
    UpdateOne(id, action);
    if (!action->isEnabled())
        return false;
    OnCommand(id);
    return true;
}

void CMainFrame::OnCommand(int id)
{
    m_commands.Run(id);
    UpdateCommandUI();
}

void CMainFrame::AddFrameCommands()
{
    CCommandTable& t = m_commands;
    t.Add(ID_FILE_NEW, {}, [this] { OnFileNew(); });
    t.Add(ID_FILE_OPEN, {}, [this] { OnFileOpen(); });
    t.Add(ID_FILE_SAVE, {}, [this] { OnFileSave(); });
    t.Add(ID_FILE_SAVE_AS, {}, [this] { OnFileSaveAs(); });
    t.Add(ID_APP_EXIT, {}, [this] { close(); });
    t.Add(ID_APP_ABOUT, {}, [this] { OnAbout(); });
    t.Add(ID_HELP_FINDER, {}, [this] { OnHelpContents(); });
    // The View menu's bar entries: checked while the bar shows, a click
    // shows or hides it.
    const struct {
        int id;
        std::function<QWidget*()> bar;
    } bars[] = {{ID_VIEW_TOOLBAR, [this] { return m_mainBar; }},
                {ID_VIEW_EDIT_TOOLBAR, [this] { return m_editBar; }},
                {ID_VIEW_DRAW_TOOLBAR, [this] { return m_drawBar; }},
                {ID_VIEW_STATUS_BAR, [this] { return statusBar(); }}};
    for (const auto& b : bars)
        t.Add(
            b.id,
            [this, bar = b.bar](CCmdUI& ui) {
                ui.checkable = true;
                ui.checked = bar() && bar()->isVisibleTo(this);
            },
            [this, bar = b.bar] { bar()->setVisible(!bar()->isVisibleTo(this)); });
    const auto onFace = [this](CCmdUI& ui) { ui.enabled = m_view->IsFaceTabShown(); };
    t.Add(ID_FILL_COLOR, onFace, [this] { m_fillButton->ShowPalette(); });
    t.Add(ID_LINE_COLOR, onFace, [this] { m_lineButton->ShowPalette(); });
    // The outputs of the whole product.
    const struct {
        int id;
        void (*run)(QWidget*, CEditService&, CRenderService&);
    } outputs[] = {{ID_RENDER_TO_CLIPBOARD, &RunRenderToClipboard},
                   {ID_RENDER_TO_FILE, &RunRenderToFile},
                   {ID_RENDER_CUT_OUT_TO_CLIPBOARD, &RunRenderCutOutToClipboard},
                   {ID_FILE_EXPORT_ARTWORK, [](QWidget* p, CEditService& e, CRenderService&) { RunExportArtwork(p, e); }},
                   {ID_FILE_EXPORT_MODEL, [](QWidget* p, CEditService& e, CRenderService&) { RunExportModel(p, e); }}};
    for (const auto& o : outputs)
        t.Add(
            o.id, [this](CCmdUI& ui) { ui.enabled = !m_view->TabNames().isEmpty(); },
            [this, run = o.run] { run(m_view, *m_view, *m_view); });
}

void CMainFrame::BuildPanels()
{
    // The panels ask the view's edit and render services; they show the
    // face, selection and settings the view shows.
    CPropertyGrid* grid = InstallPropertyGrid(m_view->PropertyGridSlot(), *m_view, *m_view);
    connect(m_view, &CVtwinView::tabChanged, grid, &CPropertyGrid::Rebuild);
    connect(m_view, &CVtwinView::turnRequested, grid, &CPropertyGrid::CommitTurn);
    connect(grid, &CPropertyGrid::stateChanged, m_view, &CVtwinView::commandStateChanged);
    InstallRenderCompletePrompt(m_view, *m_view, *m_view);
    // Offered once for each rendering the Render tab makes; the output
    // commands make theirs with the offer suppressed.
    connect(m_view, &CVtwinView::renderingMade, m_view, [this] { OfferRenderComplete(*m_view, *m_view); });
    m_previewDock = new CPreviewDock(*m_view, *m_view, this);
    addDockWidget(Qt::RightDockWidgetArea, m_previewDock);
    // Every edit marks render data stale (the render cache counts it); these
    // signals come with edits, tab changes and new documents.
    for (auto signal : {&CVtwinView::renderDataStale, &CVtwinView::commandStateChanged})
        connect(m_view, signal, m_previewDock, &CPreviewDock::Schedule);
    connect(m_view, &CVtwinView::tabChanged, m_previewDock, &CPreviewDock::Schedule);
    m_objectsPanel = new CObjectsPanel(*m_view, this);
    addDockWidget(Qt::RightDockWidgetArea, m_objectsPanel);
    m_geometryBar = new CGeometryBar(*m_view, this);
    connect(m_view, &CVtwinView::commandStateChanged, m_objectsPanel, &CObjectsPanel::Refresh);
    connect(m_view, &CVtwinView::commandStateChanged, m_geometryBar, &CGeometryBar::Refresh);
    connect(m_view, &CVtwinView::tabChanged, m_objectsPanel, &CObjectsPanel::Refresh);
    connect(m_view, &CVtwinView::tabChanged, m_geometryBar, &CGeometryBar::Refresh);
}

void CMainFrame::UpdateTitle()
{
    QString title = QString::fromStdString(m_doc->GetTitle());
    if (title.isEmpty())
        title = QStringLiteral("Untitled");
    if (m_guard->IsReadOnly())
        title += QStringLiteral(" [Read-Only]");
    setWindowTitle(title + (m_doc->IsModified() ? QStringLiteral("* - Vantorel") : QStringLiteral(" - Vantorel")));
}

void CMainFrame::DocumentChanged()
{
    m_view->ZoomMap().Clear();
    m_view->ResetRenderData();
    m_view->BuildTabs(m_view->DocumentTabs());
    SetFullMenus(m_doc->HasProduct());
    m_fillButton->SetColor(m_doc->GetDrawingDefaults().fillColour);
    m_lineButton->SetColor(m_doc->GetDrawingDefaults().lineColour);
    UpdateTitle();
    UpdateCommandUI();
}

bool CMainFrame::SaveModified()
{
    if (!m_doc->IsModified())
        return true;
    QString name = QString::fromStdString(m_doc->GetTitle());
    if (name.isEmpty())
        name = QStringLiteral("Untitled");
    switch (AskQuestion(this, QStringLiteral("Save changes to %1?").arg(name), true)) {
    case EAnswer::Yes: return OnFileSave();
    case EAnswer::No: return true;
    default: return false;
    }
}

bool CMainFrame::OpenProject(const QString& path)
{
    if (!m_guard->BeforeOpen(path))
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A damaged file opens as an untitled copy (its message says so); one
    // without a product is refused, as the command-line tool refuses it.
    const bool ok = m_doc->OpenProject(path.toStdString(), EDamagedFile::UntitledCopy, true);
    QApplication::restoreOverrideCursor();
    m_guard->AfterOpen(ok, ok && !m_doc->GetPathName().empty());
    if (!ok) {
        // The document keeps what it held; a file that cannot be read leaves the list.
        m_recent->Remove(path);
        m_recent->Save();
        RebuildRecentMenu();
        return false;
    }
    if (!m_doc->GetPathName().empty()) {
        m_recent->Add(path);
        m_recent->Save();
        RebuildRecentMenu();
    }
    DocumentChanged();
    return true;
}

bool CMainFrame::SaveProject(const QString& path)
{
    switch (m_guard->BeforeSave(*m_doc, path)) {
    case CProjectGuard::ESave::SaveAs: return OnFileSaveAs();
    case CProjectGuard::ESave::Stop: return false;
    case CProjectGuard::ESave::Go: break;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = m_doc->SaveProject(path.toStdString());
    QApplication::restoreOverrideCursor();
    if (!ok)
        return false;
    m_guard->AfterSave(path);
    if (m_recovery)
        m_recovery->Saved();
    m_doc->SetPathName(path.toStdString());
    m_doc->SetModifiedFlag(false);
    m_recent->Add(path);
    m_recent->Save();
    RebuildRecentMenu();
    UpdateTitle();
    return true;
}

void CMainFrame::OnFileNew()
{
    if (!SaveModified())
        return;
    if (!m_folders) {
        ShowMessage(this, QStringLiteral("The program's data folder is not available."), EMessageIcon::Error);
        return;
    }
    // The dialog runs the model's wizard and builds the project itself.
    CNewDialog dialog(*m_folders, *m_doc, this);
    if (dialog.exec() != QDialog::Accepted)
        return;  // the current project stays as it was
    m_guard->Release();
    DocumentChanged();
}

void CMainFrame::OnFileOpen()
{
    if (!SaveModified())
        return;
    const QString start = m_folders ? QString::fromStdString(m_folders->GetProjectsFolder()) : QString();
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), start,
                                                      QString::fromLatin1(kProjectFilter));
    if (!path.isEmpty())
        OpenProject(path);
}

bool CMainFrame::OnFileSave()
{
    if (!m_doc->HasProduct()) {
        ShowMessage(this, QString::fromLatin1(CVtwinDoc::kNothingToSave), EMessageIcon::Information);
        return false;
    }
    const QString path = QString::fromStdString(m_doc->GetPathName());
    if (path.isEmpty() || m_guard->IsReadOnly())
        return OnFileSaveAs();
    return SaveProject(path);
}

bool CMainFrame::OnFileSaveAs()
{
    if (!m_doc->HasProduct()) {
        ShowMessage(this, QString::fromLatin1(CVtwinDoc::kNothingToSave), EMessageIcon::Information);
        return false;
    }
    QString start = QString::fromStdString(m_doc->GetPathName());
    if (start.isEmpty() && m_folders)
        start = QString::fromStdString(m_folders->GetProjectsFolder()) + QString::fromStdString(m_doc->GetTitle());
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), start,
                                                QString::fromLatin1(kProjectFilter));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QLatin1String(".vtp"), Qt::CaseInsensitive))
        path += QLatin1String(".vtp");
    return SaveProject(path);
}

void CMainFrame::OnAbout()
{
    CAboutDialog about(this);
    about.exec();
}

void CMainFrame::OnHelpContents()
{
    const std::string manual = FindUserManual(GetExecutablePath());
    if (manual.empty()) {
        ShowMessage(this, QStringLiteral("The user manual could not be found. Please reinstall Vantorel."),
                    EMessageIcon::Warning);
        return;
    }
    if (!HelpOpener()(QUrl::fromLocalFile(QString::fromStdString(manual))))
        ShowMessage(this, QStringLiteral("No web browser could open the user manual:\n\n%1").arg(QString::fromStdString(manual)),
                    EMessageIcon::Warning);
}

std::function<bool(const QUrl&)>& CMainFrame::HelpOpener()
{
    static std::function<bool(const QUrl&)> opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return opener;
}

void CMainFrame::Activate()
{
    // Restore from the task bar into the state it had before, maximised
    // included (showNormal would drop that).
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void CMainFrame::OpenWhenIdle(const QString& path)
{
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() || m_view->IsWaitingForRendering()) {
        QTimer::singleShot(250, this, [this, path]() { OpenWhenIdle(path); });
        return;
    }
    if (SaveModified())
        OpenProject(path);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    m_guard->Release();
    if (m_recovery)
        m_recovery->Closing();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
    }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // One document at a time: the first local file dropped is opened.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        event->acceptProposedAction();
        activateWindow();
        // The drop returns first: a question or message shown inside it would
        // hold the program the file came from until the user answers.
        const QString path = url.toLocalFile();
        QTimer::singleShot(0, this, [this, path]() { OpenWhenIdle(path); });
        return;
    }
}
