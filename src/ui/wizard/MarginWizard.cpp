#include "ui/wizard/MarginWizard.h"

#include "catalogue/WizardPages.h"
#include "image/Raster.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/shapes/Margin.h"
#include "layout/objects/ObjectCommands.h"
#include "app/VtwinDoc.h"
#include "layout/edit/LayoutEdit.h"
#include "ui/shell/EditService.h"
#include "ui/widgets/ColorButton.h"
#include "ui/widgets/RasterImage.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const kPageTitles[CMarginWizard::PageCount()] = {"Select Margin Type", "Set Margin Size"};

// Size of the type buttons' artwork and of the size page's face preview
// (device-independent pixels).
constexpr int kArtWidth = 56, kArtHeight = 42;
constexpr int kPreviewBoxWidth = 240, kPreviewBoxHeight = 180;

// The type remembered for the next margin of this run.
int g_lastType = 1;

CMarginWizard::Runner& MarginRunner()
{
    static CMarginWizard::Runner runner;
    return runner;
}

// A face of w x h pixels (white, or `background` when it has that size in
// device pixels) with the margin drawn by the margin object itself, framed
// in grey.
QPixmap MarginPicture(int type, int w, int h, int hPercent, int vPercent, COLORREF colour, qreal ratio,
                      const QImage& background = QImage())
{
    const int pw = std::max(2, static_cast<int>(w * ratio)), ph = std::max(2, static_cast<int>(h * ratio));
    CRaster face;
    if (background.width() != pw || background.height() != ph || !QImageToRaster(background, face)) {
        if (!face.Create(pw, ph, 24))
            return {};
        face.ToWhite();
    }
    if (const std::unique_ptr<CDrawObject> margin =
            CreateMarginObject(type, pw, ph, hPercent, vPercent, colour, colour))
        margin->RenderToFace(face);
    QPixmap pixmap = QPixmap::fromImage(RasterToQImage(face));
    {
        QPainter p(&pixmap);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(0, 0, pw - 1, ph - 1);
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

void CMarginWizard::SetRunner(Runner runner) { MarginRunner() = std::move(runner); }

CMarginWizard::CMarginWizard(int faceWidth, int faceHeight, COLORREF colour, QWidget* parent, const QImage& face)
    : QDialog(parent), m_faceWidth(std::max(1, faceWidth)), m_faceHeight(std::max(1, faceHeight))
{
    setObjectName(QStringLiteral("marginWizard"));
    auto* layout = new QVBoxLayout(this);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("caption"));
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    layout->addWidget(m_caption);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack, 1);
    AddTypePage(colour);
    AddSizePage(face);

    m_buttons.Create(this, layout);
    connect(m_buttons.back, &QPushButton::clicked, this, &CMarginWizard::Back);
    connect(m_buttons.next, &QPushButton::clicked, this, &CMarginWizard::Next);
    connect(m_buttons.finish, &QPushButton::clicked, this, &CMarginWizard::Finish);

    connect(m_types, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            UpdateSliders();
    });
    connect(m_colour, &CColorButton::colorChosen, this, [this](std::uint32_t) { UpdateArtwork(); });
    SetType(g_lastType);
    UpdateArtwork();
    Show(0);
}

// Step 1: the margin type and colour.
void CMarginWizard::AddTypePage(COLORREF colour)
{
    auto* typePage = new QGroupBox(QStringLiteral("&Select Margin Type and Color"), m_stack);
    typePage->setObjectName(QStringLiteral("typePage"));
    auto* typeGrid = new QGridLayout(typePage);
    m_types = new QButtonGroup(this);
    m_types->setExclusive(true);
    for (int t = 0; t < kMarginTypeCount; ++t) {
        auto* b = new QToolButton(typePage);
        b->setObjectName(QStringLiteral("marginType%1").arg(t));
        b->setCheckable(true);
        b->setAutoRaise(true);
        // The chosen type stands out clearly from the seven others.
        b->setStyleSheet(QStringLiteral("QToolButton { border: 2px solid transparent; border-radius: 3px; padding: 2px; }"
                                        "QToolButton:hover { border-color: palette(mid); }"
                                        "QToolButton:checked { border-color: palette(highlight);"
                                        " background: palette(highlight); }"));
        b->setIconSize(QSize(kArtWidth, kArtHeight));
        b->setToolTip(QString::fromLatin1(kMarginTypeNames[t]));
        b->setAccessibleName(QString::fromLatin1(kMarginTypeNames[t]));
        m_types->addButton(b, t);
        typeGrid->addWidget(b, t / 4, t % 4);
    }
    m_colour = new CColorButton(QIcon(), QStringLiteral("&Color"), typePage);
    m_colour->setObjectName(QStringLiteral("marginColor"));
    m_colour->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_colour->SetColor(colour & 0xFFFFFF);
    typeGrid->addWidget(m_colour, 2, 0, 1, 2, Qt::AlignLeft);
    typeGrid->setRowStretch(3, 1);
    m_stack->addWidget(typePage);
}

// Step 2: the size, on four sliders around a preview of the face.
void CMarginWizard::AddSizePage(const QImage& face)
{
    auto* sizePage = new QGroupBox(QStringLiteral("Margin Size"), m_stack);
    sizePage->setObjectName(QStringLiteral("sizePage"));
    auto* sizeGrid = new QGridLayout(sizePage);
    const char* names[kSliderCount] = {"sliderTop", "sliderBottom", "sliderLeft", "sliderRight"};
    for (int i = 0; i < kSliderCount; ++i) {
        const bool horizontal = i == kSliderTop || i == kSliderBottom;
        auto* s = new QSlider(horizontal ? Qt::Horizontal : Qt::Vertical, sizePage);
        s->setObjectName(QString::fromLatin1(names[i]));
        s->setRange(1, 99);
        s->setValue(50);
        s->setPageStep(10);
        if (!horizontal) {
            // Vertical positions count from the top down, as the face is read.
            s->setInvertedAppearance(true);
            s->setInvertedControls(true);
        }
        auto* label = new QLabel(sizePage);
        label->setObjectName(QString::fromLatin1(names[i]) + QStringLiteral("Label"));
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
        label->setAlignment(Qt::AlignCenter);
        m_sliders[i] = s;
        m_labels[i] = label;
        connect(s, &QSlider::valueChanged, this, [this](int) { UpdateSliders(); });
    }
    const QSize preview = AddPreview(sizePage, face);
    m_sliders[kSliderTop]->setFixedWidth(preview.width() + 16);
    m_sliders[kSliderBottom]->setFixedWidth(preview.width() + 16);
    m_sliders[kSliderLeft]->setFixedHeight(preview.height() + 16);
    m_sliders[kSliderRight]->setFixedHeight(preview.height() + 16);
    // The sliders lie along the preview's edges, their thumbs where the
    // margin's inner edge is; the percentages stand beside them.
    sizeGrid->addWidget(m_sliders[kSliderTop], 0, 1, Qt::AlignHCenter);
    sizeGrid->addWidget(m_labels[kSliderTop], 0, 3);
    sizeGrid->addWidget(m_sliders[kSliderLeft], 1, 0, Qt::AlignVCenter);
    sizeGrid->addWidget(m_preview, 1, 1, Qt::AlignCenter);
    sizeGrid->addWidget(m_sliders[kSliderRight], 1, 2, Qt::AlignVCenter);
    sizeGrid->addWidget(m_sliders[kSliderBottom], 2, 1, Qt::AlignHCenter);
    sizeGrid->addWidget(m_labels[kSliderBottom], 2, 3);
    sizeGrid->addWidget(m_labels[kSliderLeft], 3, 0);
    sizeGrid->addWidget(m_labels[kSliderRight], 3, 2);
    sizeGrid->setColumnStretch(4, 1);
    sizeGrid->setRowStretch(4, 1);
    m_stack->addWidget(sizePage);
}

// The face preview keeps the face's proportions inside its box; its size.
QSize CMarginWizard::AddPreview(QWidget* page, const QImage& face)
{
    m_preview = new QLabel(page);
    m_preview->setObjectName(QStringLiteral("marginPreview"));
    m_preview->setAlignment(Qt::AlignCenter);
    const double scale = std::min(static_cast<double>(kPreviewBoxWidth) / m_faceWidth,
                                  static_cast<double>(kPreviewBoxHeight) / m_faceHeight);
    const int pw = std::max(8, static_cast<int>(m_faceWidth * scale));
    const int ph = std::max(8, static_cast<int>(m_faceHeight * scale));
    m_preview->setFixedSize(pw, ph);
    if (!face.isNull()) {
        const qreal ratio = devicePixelRatioF();
        m_previewFace = face.scaled(std::max(2, static_cast<int>(pw * ratio)), std::max(2, static_cast<int>(ph * ratio)),
                                    Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return {pw, ph};
}

QString CMarginWizard::Caption() const
{
    return QString::fromStdString(GetWizardStepCaption(m_index + 1, PageCount(), kPageTitles[m_index]));
}

int CMarginWizard::Type() const
{
    const int id = m_types->checkedId();
    return id >= 0 ? id : 0;
}

void CMarginWizard::SetType(int type)
{
    if (QAbstractButton* b = TypeButton(type))
        b->setChecked(true);
}

QAbstractButton* CMarginWizard::TypeButton(int type) const { return m_types->button(type); }

COLORREF CMarginWizard::Colour() const { return m_colour->Color(); }

void CMarginWizard::SetColour(COLORREF colour)
{
    m_colour->SetColor(colour & 0xFFFFFF);
    UpdateArtwork();
}

MarginSliderPositions CMarginWizard::Positions() const
{
    MarginSliderPositions positions{};
    for (int i = 0; i < kSliderCount; ++i)
        positions[static_cast<std::size_t>(i)] = m_sliders[i]->value();
    return positions;
}

int CMarginWizard::HorizontalPercent() const { return GetMarginPercents(Type(), Positions()).first; }

int CMarginWizard::VerticalPercent() const { return GetMarginPercents(Type(), Positions()).second; }

void CMarginWizard::Show(int index)
{
    m_index = index;
    m_stack->setCurrentIndex(index);
    const QString caption = Caption();
    m_caption->setText(caption);
    setWindowTitle(caption);
    m_buttons.Update(index, PageCount());
    if (index + 1 >= PageCount())
        UpdateSliders();
}

bool CMarginWizard::Next()
{
    if (m_index + 1 >= PageCount())
        return false;
    g_lastType = Type();
    Show(m_index + 1);
    return true;
}

void CMarginWizard::Back()
{
    if (m_index > 0)
        Show(m_index - 1);
}

bool CMarginWizard::Finish()
{
    if (m_index + 1 < PageCount())
        return false;
    g_lastType = Type();
    accept();
    return true;
}

void CMarginWizard::UpdateSliders()
{
    const SMarginSliderUse s = GetMarginSliders(Type());
    for (int i = 0; i < kSliderCount; ++i) {
        const bool used = i == s.h || i == s.v;
        m_sliders[i]->setVisible(used);
        m_labels[i]->setVisible(used);
        if (!used)
            continue;
        m_labels[i]->setText(QStringLiteral("%1%").arg(i == s.h ? HorizontalPercent() : VerticalPercent()));
    }
    m_preview->setPixmap(MarginPicture(Type(), m_preview->width(), m_preview->height(), HorizontalPercent(),
                                       VerticalPercent(), Colour(), devicePixelRatioF(), m_previewFace));
}

void CMarginWizard::UpdateArtwork()
{
    // Each button shows its band or corner at a third of the face.
    for (int t = 0; t < kMarginTypeCount; ++t)
        m_types->button(t)->setIcon(
            QIcon(MarginPicture(t, kArtWidth, kArtHeight, 33, 33, Colour(), devicePixelRatioF())));
    UpdateSliders();
}

bool RunMarginCommand(QWidget* parent, CEditService& edits, const QImage& facePicture)
{
    CVtwinDoc* doc = edits.Document();
    const int w = edits.FaceWidth(), h = edits.FaceHeight();
    if (!doc || !edits.CurrentObjects() || w <= 0 || h <= 0)
        return false;
    CDrawingDefaults& defaults = doc->GetDrawingDefaults();
    CMarginWizard wizard(w, h, defaults.fillColour, parent, facePicture);
    const bool finished = MarginRunner() ? MarginRunner()(wizard) : wizard.exec() == QDialog::Accepted;
    if (!finished)
        return false;
    const COLORREF colour = wizard.Colour();
    std::unique_ptr<CDrawObject> margin = CreateMarginObject(wizard.Type(), w, h, wizard.HorizontalPercent(),
                                                             wizard.VerticalPercent(), colour, defaults.lineColour);
    if (!margin)
        return false;
    return edits
        .RunObjectCommand("Draw Margin",
                          [&](CDrawObjectList& list) {
                              ObjectCommands::Add(list, std::move(margin), true);
                              defaults.fillColour = colour & 0xFFFFFF;
                              return std::string();
                          })
        .empty();
}
