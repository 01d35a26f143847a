#include "ui/wizard/FitPictureDialog.h"

#include "image/Raster.h"
#include "properties/Appearance.h"
#include "ui/widgets/RasterImage.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The preview box, in device-independent pixels.
constexpr int kPreviewWidth = 220, kPreviewHeight = 180;

CFitPictureDialog::Runner& FitRunner()
{
    static CFitPictureDialog::Runner runner;
    return runner;
}

} // namespace

void CFitPictureDialog::SetRunner(Runner runner) { FitRunner() = std::move(runner); }

CFitPictureDialog::CFitPictureDialog(const CRaster& picture, int faceWidth, int faceHeight, const QString& faceName,
                                     const QString& productName, int previousAnswer, QWidget* parent)
    : QDialog(parent), m_picture(picture), m_faceWidth(faceWidth), m_faceHeight(faceHeight),
      m_opening(OpenFitPicture(picture.GetWidth(), picture.GetHeight(), faceWidth, faceHeight,
                               faceName.toStdString(), productName.toStdString(), previousAnswer))
{
    setObjectName(QStringLiteral("fitPictureDialog"));
    if (m_opening.fits)
        return;  // closes at once: no controls needed
    setWindowTitle(QString::fromStdString(m_opening.title));

    auto* layout = new QVBoxLayout(this);
    m_explanation = new QLabel(QString::fromStdString(m_opening.explanation), this);
    m_explanation->setObjectName(QStringLiteral("explanation"));
    m_explanation->setWordWrap(true);
    layout->addWidget(m_explanation);

    auto* row = new QHBoxLayout;
    auto* column = new QVBoxLayout;
    m_choices = new QButtonGroup(this);
    const QString texts[4] = {QStringLiteral("&Stretch"), QString::fromStdString(m_opening.choices[0]),
                              QString::fromStdString(m_opening.choices[1]),
                              QString::fromStdString(m_opening.choices[2])};
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = new QRadioButton(texts[i], this);
        m_buttons[i]->setObjectName(QStringLiteral("fit%1").arg(i));
        m_choices->addButton(m_buttons[i], i);
        column->addWidget(m_buttons[i]);
    }
    column->addStretch(1);
    row->addLayout(column, 1);

    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setFixedSize(kPreviewWidth, kPreviewHeight);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->setBackgroundRole(QPalette::Dark);
    m_preview->setAutoFillBackground(true);
    row->addWidget(m_preview);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    m_buttons[m_opening.preselected]->setChecked(true);
    connect(m_choices, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            UpdatePreview();
    });
    UpdatePreview();
    setMinimumWidth(520);
}

int CFitPictureDialog::Answer() const
{
    if (m_opening.fits)
        return kFitNone;
    const int id = m_choices->checkedId();
    return id >= 0 ? id : kFitStretch;
}

void CFitPictureDialog::SetAnswer(int answer)
{
    if (QRadioButton* b = ChoiceButton(answer))
        b->setChecked(true);
}

QRadioButton* CFitPictureDialog::ChoiceButton(int answer) const
{
    return !m_opening.fits && answer >= 0 && answer < 4 ? m_buttons[answer] : nullptr;
}

int CFitPictureDialog::exec()
{
    if (m_opening.fits) {
        setResult(QDialog::Accepted);
        return QDialog::Accepted;
    }
    return QDialog::exec();
}

void CFitPictureDialog::UpdatePreview()
{
    const int answer = Answer();
    QImage& cached = m_cache[answer];
    if (cached.isNull()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (const std::unique_ptr<CRaster> fitted = FitPicture(m_picture, m_faceWidth, m_faceHeight, answer))
            cached = RasterToQImage(*fitted);
        QApplication::restoreOverrideCursor();
    }
    m_fitted = cached;
    if (m_fitted.isNull()) {
        m_preview->setPixmap(QPixmap());
        m_preview->setText(QStringLiteral("No preview"));
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize box(static_cast<int>((kPreviewWidth - 8) * ratio), static_cast<int>((kPreviewHeight - 8) * ratio));
    // A small face picture is enlarged to fill the box as well, so that the
    // kept part can be judged.
    QPixmap shown = QPixmap::fromImage(m_fitted.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    shown.setDevicePixelRatio(ratio);
    m_preview->setPixmap(shown);
}

std::optional<int> AskFitPicture(QWidget* parent, const CRaster& picture, int faceWidth, int faceHeight,
                                 const QString& faceName, const QString& productName, int previousAnswer)
{
    CFitPictureDialog dialog(picture, faceWidth, faceHeight, faceName, productName, previousAnswer, parent);
    if (dialog.Fits())
        return kFitNone;
    const bool ok = FitRunner() ? FitRunner()(dialog) : dialog.exec() == QDialog::Accepted;
    if (!ok)
        return std::nullopt;
    return dialog.Answer();
}
