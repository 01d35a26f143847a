#include "ui/VtwinView.h"

#include "ui/CommandIds.h"
#include "ui/CustomZoomDialog.h"
#include "ui/FaceCanvas.h"
#include "ui/MainFrame.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

struct STabCommand {
    int id;
    const char* name;
};

const STabCommand kTabCommands[] = {
    {ID_TAB_FRONT, "Front"},
    {ID_TAB_SPINE, "Spine"},
    {ID_TAB_PAGES_LEFT, "Pages (Left)"},
    {ID_TAB_PAGES_RIGHT, "Pages (Right)"},
    {ID_TAB_PAGES_TOP, "Pages (Top)"},
    {ID_TAB_PAGES_BOTTOM, "Pages (Bottom)"},
    {ID_TAB_LEFT, "Left"},
    {ID_TAB_RIGHT, "Right"},
    {ID_TAB_TOP, "Top"},
    {ID_TAB_BOTTOM, "Bottom"},
    {ID_TAB_CDROM, "CD-ROM"},
    {ID_TAB_BACKGROUND, "Background"},
    {ID_TAB_LAYOUT, "Layout"},
    {ID_TAB_RENDER, "Render"},
};

struct SZoomCommand {
    int id;
    int percent;
};

const SZoomCommand kZoomCommands[] = {
    {ID_ZOOM_25, 25},   {ID_ZOOM_50, 50},   {ID_ZOOM_100, 100},   {ID_ZOOM_200, 200},
    {ID_ZOOM_400, 400}, {ID_ZOOM_800, 800}, {ID_ZOOM_1600, 1600},
};

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

CVtwinView::CVtwinView(CMainFrame* frame, QWidget* parent) : QWidget(parent), m_frame(frame)
{
    setObjectName(QStringLiteral("vtwinView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    outer->addWidget(m_splitter);

    auto* left = new QWidget(m_splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 4, 0, 4);
    leftLayout->setSpacing(0);
    auto* tabRow = new QHBoxLayout;
    m_tabs = new QTabBar(left);
    m_tabs->setObjectName(QStringLiteral("faceTabs"));
    m_tabs->setExpanding(false);
    m_tabs->setDocumentMode(true);
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

    m_canvasPage = new QWidget(m_pages);
    auto* grid = new QGridLayout(m_canvasPage);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    m_hbar = new QScrollBar(Qt::Horizontal, m_canvasPage);
    m_vbar = new QScrollBar(Qt::Vertical, m_canvasPage);
    m_canvas = new CFaceCanvas(this, m_hbar, m_vbar, m_canvasPage);
    grid->addWidget(m_canvas, 0, 0);
    grid->addWidget(m_vbar, 0, 1);
    grid->addWidget(m_hbar, 1, 0);
    m_hbar->hide();
    m_vbar->hide();
    m_pages->addWidget(m_canvasPage);

    auto* layoutScroll = new QScrollArea(m_pages);
    layoutScroll->setWidgetResizable(true);
    m_layoutLabel = MakePictureLabel(layoutScroll, "layoutPicture");
    layoutScroll->setWidget(m_layoutLabel);
    m_pages->addWidget(layoutScroll);

    auto* renderScroll = new QScrollArea(m_pages);
    renderScroll->setWidgetResizable(true);
    m_renderLabel = MakePictureLabel(renderScroll, "renderPicture");
    renderScroll->setWidget(m_renderLabel);
    m_pages->addWidget(renderScroll);

    // The property grid is built by its own module; this is where it goes.
    m_propertySlot = new QWidget(m_splitter);
    m_propertySlot->setObjectName(QStringLiteral("propertyGridSlot"));
    m_propertySlot->setMinimumWidth(220);
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
    m_splitter->setSizes({900, 260});

    connect(m_tabs, &QTabBar::currentChanged, this, &CVtwinView::OnTabChanged);
    m_pages->setCurrentIndex(kPageEmpty);
    m_propertySlot->setVisible(false);
}

QString CVtwinView::TabNameOfCommand(int id)
{
    for (const auto& t : kTabCommands)
        if (t.id == id)
            return QString::fromLatin1(t.name);
    return {};
}

void CVtwinView::BuildTabs(const QStringList& names)
{
    m_building = true;
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    for (const QString& name : names)
        m_tabs->addTab(name);
    m_building = false;
    m_propertySlot->setVisible(!names.isEmpty());
    if (names.isEmpty()) {
        m_pages->setCurrentIndex(kPageEmpty);
        m_location->clear();
        emit tabChanged(QString());
        emit commandStateChanged();
        return;
    }
    m_tabs->setCurrentIndex(0);
    OnTabChanged(0);
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
        m_pages->setCurrentIndex(kPageCanvas);
        m_canvas->setFocus();
    } else if (name == QLatin1String("Layout")) {
        m_pages->setCurrentIndex(kPageLayout);
    } else if (name == QLatin1String("Render")) {
        m_pages->setCurrentIndex(kPageRender);
    } else {
        m_pages->setCurrentIndex(kPageEmpty);
    }
    emit tabChanged(name);
    emit commandStateChanged();
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

bool CVtwinView::QueryCommand(int id, CCmdUI& ui) const
{
    const bool hasTabs = m_tabs->count() > 0;
    const QString tabName = TabNameOfCommand(id);
    if (!tabName.isEmpty()) {
        ui.enabled = hasTabs;
        ui.checkable = true;
        ui.checked = hasTabs && CurrentTabName() == tabName;
        return true;
    }
    switch (id) {
    case ID_TAB_NEXT:
        ui.enabled = hasTabs && CurrentTab() < m_tabs->count() - 1;
        return true;
    case ID_TAB_PREVIOUS:
        ui.enabled = hasTabs && CurrentTab() > 0;
        return true;
    default: break;
    }
    const bool face = IsFaceTabShown();
    const CZoomEntry* entry = face ? m_zoom.Find(CurrentTabName().toStdString()) : nullptr;
    for (const auto& z : kZoomCommands) {
        if (z.id == id) {
            ui.enabled = face;
            ui.checkable = true;
            ui.checked = entry && entry->fit == 0 && entry->Percent() == z.percent;
            return true;
        }
    }
    switch (id) {
    case ID_ZOOM_FIT:
        ui.enabled = face;
        ui.checkable = true;
        ui.checked = entry && entry->fit == 1;
        return true;
    case ID_ZOOM_CUSTOM:
        ui.enabled = face;
        ui.text = CustomZoomText();
        return true;
    case ID_ZOOM_IN:
    case ID_ZOOM_OUT:
        ui.enabled = face;
        return true;
    default: return false;
    }
}

bool CVtwinView::OnCommand(int id)
{
    const QString tabName = TabNameOfCommand(id);
    if (!tabName.isEmpty()) {
        SelectTab(tabName);
        return true;
    }
    switch (id) {
    case ID_TAB_NEXT:
        if (CurrentTab() < m_tabs->count() - 1)
            SelectTab(CurrentTab() + 1);
        return true;
    case ID_TAB_PREVIOUS:
        if (CurrentTab() > 0)
            SelectTab(CurrentTab() - 1);
        return true;
    case ID_ZOOM_FIT: SetFit(); return true;
    case ID_ZOOM_CUSTOM: RunCustomZoom(); return true;
    case ID_ZOOM_IN: StepZoom(true); return true;
    case ID_ZOOM_OUT: StepZoom(false); return true;
    default: break;
    }
    for (const auto& z : kZoomCommands) {
        if (z.id == id) {
            SetZoomLevel(z.percent);
            return true;
        }
    }
    return false;
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

void CVtwinView::StepZoom(bool in)
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
    m_canvas->ZoomChanged(old);
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

void CVtwinView::SetLayoutPicture(const QImage& image)
{
    m_layoutLabel->setPixmap(QPixmap::fromImage(image));
}

void CVtwinView::SetRenderPicture(const QImage& image)
{
    m_renderLabel->setPixmap(QPixmap::fromImage(image));
}
