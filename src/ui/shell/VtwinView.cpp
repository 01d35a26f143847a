#include "ui/shell/VtwinView.h"

#include "ground/AppFolders.h"
#include "app/undo/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "image/Raster.h"
#include "render/EngineBackend.h"
#include "render/RenderPipeline.h"
#include "ui/canvas/FaceCanvas.h"
#include "ui/canvas/FaceLocation.h"
#include "ui/canvas/GeometryBar.h"
#include "layout/edit/LayoutSnapshotRecord.h"
#include "ui/canvas/Ruler.h"
#include "ui/dialogs/CustomZoomDialog.h"
#include "ui/render/RenderPage.h"
#include "ui/shell/MainFrame.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/RasterImage.h"

#include <QApplication>
#include <algorithm>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

enum EPage { kPageEmpty, kPageCanvas, kPageLayout, kPageRender };

QLabel* MakePictureLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setBackgroundRole(QPalette::Dark);
    label->setAutoFillBackground(true);
    return label;
}

} // namespace

CVtwinView::~CVtwinView() = default;

CVtwinView::CVtwinView(CMainFrame* frame, QWidget* parent) : QWidget(parent), m_frame(frame)
{
    setObjectName(QStringLiteral("vtwinView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    outer->addWidget(m_splitter);
    BuildTabSide();
    BuildCanvasPage();
    BuildRenderPages();
    SetUpPipeline();
    BuildPropertySlot();
    connect(m_tabs, &QTabBar::currentChanged, this, &CVtwinView::OnTabChanged);
    m_pages->setCurrentIndex(kPageEmpty);
    m_propertySlot->setVisible(false);
}

// The left of the splitter: the tab row (tabs and the pointer's place) over the pages.
void CVtwinView::BuildTabSide()
{
    auto* left = new QWidget(m_splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 4, 0, 4);
    leftLayout->setSpacing(0);
    auto* tabRow = new QHBoxLayout;
    m_tabs = new QTabBar(left);
    m_tabs->setObjectName(QStringLiteral("faceTabs"));
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(true);
    tabRow->addWidget(m_tabs, 1);
    m_location = new QLabel(left);
    m_location->setObjectName(QStringLiteral("faceLocation"));
    tabRow->addWidget(m_location);
    leftLayout->addLayout(tabRow);

    m_pages = new QStackedWidget(left);
    leftLayout->addWidget(m_pages, 1);

    m_emptyLabel = MakePictureLabel(m_pages, "emptyPage");
    m_emptyLabel->setText(QStringLiteral("Choose File > New to design a product, or open a project."));
    m_emptyLabel->setForegroundRole(QPalette::BrightText);
    m_pages->addWidget(m_emptyLabel);
}

// The face canvas between its rulers and scroll bars; its requests come back here.
void CVtwinView::BuildCanvasPage()
{
    m_canvasPage = new QWidget(m_pages);
    auto* grid = new QGridLayout(m_canvasPage);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    m_hbar = new QScrollBar(Qt::Horizontal, m_canvasPage);
    m_vbar = new QScrollBar(Qt::Vertical, m_canvasPage);
    m_canvas = new CFaceCanvas(*this, m_zoom, m_hbar, m_vbar, m_canvasPage);
    connect(m_canvas, &CFaceCanvas::fittedZoomChanged, this, &CVtwinView::commandStateChanged);
    connect(m_canvas, &CFaceCanvas::commandRequested, this, &CVtwinView::OnCommand);
    connect(m_canvas, &CFaceCanvas::contextMenuRequested, this, &CVtwinView::ShowContextMenu);
    connect(m_canvas, &CFaceCanvas::objectDrawn, this, &CVtwinView::CreateObject);
    connect(m_canvas, &CFaceCanvas::zoomStepRequested, this,
            [this](bool in, QPoint windowPoint) { StepZoom(in, windowPoint); });
    m_topRuler = new CRuler(Qt::Horizontal, m_canvas, m_canvasPage);
    m_leftRuler = new CRuler(Qt::Vertical, m_canvas, m_canvasPage);
    connect(m_canvas, &CFaceCanvas::mappingPainted, m_topRuler, qOverload<>(&QWidget::update));
    connect(m_canvas, &CFaceCanvas::mappingPainted, m_leftRuler, qOverload<>(&QWidget::update));
    grid->addWidget(m_topRuler, 0, 1);
    grid->addWidget(m_leftRuler, 1, 0);
    grid->addWidget(m_canvas, 1, 1);
    grid->addWidget(m_vbar, 1, 2);
    grid->addWidget(m_hbar, 2, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    m_hbar->hide();
    m_vbar->hide();
    m_pages->addWidget(m_canvasPage);
}

void CVtwinView::BuildRenderPages()
{
    m_layoutPage = new CRenderPage(m_pages);
    m_layoutPage->setObjectName(QStringLiteral("layoutPicture"));
    m_pages->addWidget(m_layoutPage);
    m_renderPage = new CRenderPage(m_pages);
    m_renderPage->setObjectName(QStringLiteral("renderPicture"));
    m_pages->addWidget(m_renderPage);
    connect(m_renderPage, &CRenderPage::pictureClicked, this, &CVtwinView::RepositionFlare);
    SetUpRendering();
}

// The pipeline of the Layout and Render tabs: its engine, the document's
// objects, its progress in the status bar; edits make its two composites stale.
void CVtwinView::SetUpPipeline()
{
    m_backend = std::make_unique<CEngineBackend>();
    m_pipeline = std::make_unique<CRenderPipeline>();
    m_pipeline->SetBackend(m_backend.get());
    m_pipeline->SetFaceObjects([this](std::string_view key) -> const CFaceObjects* {
        return m_doc ? m_doc->FindFaceObjects(key) : nullptr;
    });
    m_pipeline->GetProgress().SetSink([this](const std::string& status, int percent) {
        m_frame->SetProgress(percent, QString::fromStdString(status));
        // Let the status bar show the step; user input waits for the render.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    connect(this, &CVtwinView::renderDataStale, this, [this]() {
        m_pipeline->GetCache().MarkStale("y");
        m_pipeline->GetCache().MarkStale("x");
    });
}

// The property grid is built by its own module; this is where it goes.
void CVtwinView::BuildPropertySlot()
{
    m_propertySlot = new QWidget(m_splitter);
    m_propertySlot->setObjectName(QStringLiteral("propertyGridSlot"));
    m_propertySlot->setMinimumWidth(300);
    auto* slotLayout = new QVBoxLayout(m_propertySlot);
    slotLayout->setContentsMargins(4, 4, 4, 4);
    auto* slotTitle = new QLabel(QStringLiteral("Properties"), m_propertySlot);
    slotTitle->setObjectName(QStringLiteral("propertyGridTitle"));
    QFont bold = slotTitle->font();
    bold.setBold(true);
    slotTitle->setFont(bold);
    slotLayout->addWidget(slotTitle);
    slotLayout->addStretch(1);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    // The label column takes 7/10 of the grid: wide enough for "R=255 G=255 B=255".
    m_splitter->setSizes({1000, 440});
}

QStringList CVtwinView::DocumentTabs() const
{
    QStringList tabs;
    if (m_doc && m_doc->HasProduct())
        for (int i = 0; i < m_doc->GetTabCount(); ++i)
            tabs << QString::fromStdString(m_doc->GetTabName(i));
    return tabs;
}

void CVtwinView::RebuildTabs(const QString& show)
{
    ResetRenderData(true);
    BuildTabs(DocumentTabs(), show);
    emit tabsRebuilt();
}

void CVtwinView::BuildTabs(const QStringList& names, const QString& show)
{
    m_building = true;
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    for (const QString& name : names)
        m_tabs->addTab(name);
    // A tab bar filled while its window is not shown yet keeps the height it
    // had without tabs; give it the height its tabs need.
    m_tabs->setMinimumHeight(names.isEmpty() ? 0 : m_tabs->sizeHint().height());
    m_tabs->updateGeometry();
    const int start = std::max(0, static_cast<int>(names.indexOf(show)));
    m_tabs->setCurrentIndex(start);
    m_building = false;
    m_propertySlot->setVisible(!names.isEmpty());
    if (names.isEmpty()) {
        m_pages->setCurrentIndex(kPageEmpty);
        m_location->clear();
        emit tabChanged(QString());
        emit commandStateChanged();
        return;
    }
    OnTabChanged(start);
}

QStringList CVtwinView::TabNames() const
{
    QStringList names;
    for (int i = 0; i < m_tabs->count(); ++i)
        names << m_tabs->tabText(i);
    return names;
}

int CVtwinView::CurrentTab() const { return m_tabs->currentIndex(); }

QString CVtwinView::CurrentTabName() const
{
    const int i = m_tabs->currentIndex();
    return i >= 0 ? m_tabs->tabText(i) : QString();
}

bool CVtwinView::SelectTab(const QString& name)
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->tabText(i) == name)
            return SelectTab(i);
    return false;
}

bool CVtwinView::SelectTab(int index)
{
    if (index < 0 || index >= m_tabs->count())
        return false;
    if (m_tabs->currentIndex() == index)
        OnTabChanged(index);
    else
        m_tabs->setCurrentIndex(index);
    return true;
}

// The rulers and the print lines count in the face's millimetres; the
// bleed and safe distances are the user's ([GUI] BleedMm, SafeMm).
void CVtwinView::UpdateRulers()
{
    const double ppm = m_frame && m_frame->GeometryBar() ? m_frame->GeometryBar()->PixelsPerMm() : 0.0;
    m_topRuler->SetPixelsPerMm(ppm);
    m_leftRuler->SetPixelsPerMm(ppm);
    const CAppFolders* folders = m_frame ? m_frame->Folders() : nullptr;
    m_canvas->SetPrintLines(ppm, folders ? folders->GetUserInt("GUI", "BleedMm", 3) : 3,
                            folders ? folders->GetUserInt("GUI", "SafeMm", 5) : 5);
}

void CVtwinView::ShowRulers(bool on)
{
    m_topRuler->setVisible(on);
    m_leftRuler->setVisible(on);
}

bool CVtwinView::IsFaceTabShown() const
{
    const QString name = CurrentTabName();
    return !name.isEmpty() && name != QLatin1String("Layout") && name != QLatin1String("Render");
}

void CVtwinView::OnTabChanged(int index)
{
    if (m_building)
        return;
    const QString name = index >= 0 ? m_tabs->tabText(index) : QString();
    if (IsFaceTabShown()) {
        const QImage picture = m_facePicture ? m_facePicture(name) : QImage();
        m_canvas->SetFace(name.toStdString(), picture);
        UpdateRulers();
        m_pages->setCurrentIndex(kPageCanvas);
        m_canvas->setFocus();
    } else if (name == QLatin1String("Layout")) {
        m_pages->setCurrentIndex(kPageLayout);
        RefreshPicture();
    } else if (name == QLatin1String("Render")) {
        m_pages->setCurrentIndex(kPageRender);
        RefreshPicture();
    } else {
        m_pages->setCurrentIndex(kPageEmpty);
    }
    m_location->setPixmap(FaceLocationPicture(FaceGroupOfCode(FaceCodeOfTab(name.toStdString())), devicePixelRatioF()));
    m_location->setToolTip(name);
    emit tabChanged(name);
    emit commandStateChanged();
}

void CVtwinView::RefreshCurrentTab()
{
    OnTabChanged(m_tabs->currentIndex());
}

QString CVtwinView::CustomZoomText() const
{
    int percent = 0;
    if (IsFaceTabShown())
        if (const CZoomEntry* e = m_zoom.Find(CurrentTabName().toStdString()))
            percent = e->Percent();
    if (percent == 0)
        return QStringLiteral("&Custom Zoom...");
    return QStringLiteral("&Custom Zoom (%1%)...").arg(percent);
}

void CVtwinView::SetZoomLevel(int percent)
{
    if (!IsFaceTabShown())
        return;
    CZoomEntry& e = m_zoom.Get(CurrentTabName().toStdString());
    const double old = m_canvas->Scale();
    e.fit = 0;
    e.zoom = static_cast<std::uint32_t>(percent) * 10u;
    m_canvas->ZoomChanged(old);
    emit commandStateChanged();
}

void CVtwinView::SetFit()
{
    if (!IsFaceTabShown())
        return;
    CZoomEntry& e = m_zoom.Get(CurrentTabName().toStdString());
    const double old = m_canvas->Scale();
    e.fit = 1;
    m_canvas->ZoomChanged(old);
    emit commandStateChanged();
}

void CVtwinView::StepZoom(bool in, std::optional<QPoint> anchor)
{
    if (!IsFaceTabShown())
        return;
    CZoomEntry& e = m_zoom.Get(CurrentTabName().toStdString());
    const int z = e.Percent();
    if (z == 0)
        return;
    const double old = m_canvas->Scale();
    const int next = in ? ZoomInLevel(z) : ZoomOutLevel(z);
    e.fit = 0;
    if (next != z)
        e.zoom = static_cast<std::uint32_t>(next) * 10u;
    m_canvas->ZoomChanged(old, anchor);
    emit commandStateChanged();
}

void CVtwinView::RunCustomZoom()
{
    if (!IsFaceTabShown())
        return;
    CZoomEntry& e = m_zoom.Get(CurrentTabName().toStdString());
    CCustomZoomDialog dialog(e.Percent(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SetZoomLevel(dialog.Percent());
}

std::string CVtwinView::RunObjectCommand(const std::string& description,
                                        const std::function<std::string(CDrawObjectList&)>& command)
{
    return RunFaceCommand(description, false, command);
}
