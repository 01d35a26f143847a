#include "ui/dialogs/RenderOutputDialogs.h"

#include "ground/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/Raster.h"
#include "properties/settings/SettingChecks.h"
#include "render/EngineBackend.h"
#include "render/output/RenderFileFlow.h"
#include "render/output/RenderOutput.h"
#include "render/RenderPipeline.h"
#include "ui/render/RenderCompleteBar.h"
#include "ui/render/RenderJob.h"
#include "ui/render/RenderPage.h"
#include "ui/render/RenderService.h"
#include "ui/shell/EditService.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/RasterImage.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

RenderDialogRunner& Runner()
{
    static RenderDialogRunner runner;
    return runner;
}

RenderFileChooser& Chooser()
{
    static RenderFileChooser chooser;
    return chooser;
}

int Run(QDialog& dialog) { return Runner() ? Runner()(dialog) : dialog.exec(); }

// Set while the output commands bring the rendering up to date: their own
// rendering never offers the Rendering Complete prompt.
bool g_suppressPrompt = false;

CRaster* UpToDateRendering(QWidget* parent, CEditService& edits, CRenderService& renders)
{
    CVtwinDoc* doc = edits.Document();
    CProduct* product = doc ? doc->GetProduct() : nullptr;
    if (!product)
        return nullptr;
    g_suppressPrompt = true;
    renders.ShowRenderTab();
    renders.WaitForRendering();
    g_suppressPrompt = false;
    CSide* side = product->FindSidePtr("z");
    if (!renders.Pipeline().GetCache().IsUpToDate("z") || !side || !side->GetPicture() || !side->GetPicture()->IsValid()) {
        ShowMessage(parent, QStringLiteral("The project could not be rendered."), EMessageIcon::Warning);
        return nullptr;
    }
    return side->GetPicture();
}

// The project with its background left out, rendered on a thread of its own
// from a copy of the document, so the view's rendering and what its cache
// knows stay as they are; `keep` owns the picture.
CRaster* RenderCutOut(CEditService& edits, CRenderService& renders, std::unique_ptr<CRaster>& keep, std::string& why)
{
    CVtwinDoc* doc = edits.Document();
    if (!doc || !doc->GetProduct())
        return nullptr;
    const std::shared_ptr<CRenderJob> job = renders.RenderAside(CRenderJob::CreateCutOut(*doc));
    if (!job) {
        why = "Out of memory";
        return nullptr;
    }
    if (job->WasCancelled())
        return nullptr;
    keep = job->TakePicture();
    if (keep && keep->IsValid() && keep->HasAlpha())
        return keep.get();
    why = "The picture with a transparent background could not be rendered";
    why += job->Error().empty() ? std::string(".") : ": " + job->Error();
    return nullptr;
}

} // namespace

void SetRenderDialogHooks(RenderDialogRunner runner, RenderFileChooser chooser)
{
    Runner() = std::move(runner);
    Chooser() = std::move(chooser);
}

QStringList RenderFileFilters()
{
    // "Name|*.a;*.b|..." becomes "Name (*.a *.b)" for each pair.
    const QStringList parts = QString::fromLatin1(kRenderFileFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

// ---- Render File Formats ------------------------------------------------------------------

CRenderFormatsDialog::CRenderFormatsDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kRenderFormatsTitle));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QString::fromLatin1(kRenderFormatsIntro), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setPlainText(Q(GetRenderFormatsExplanation()));
    m_text->setMinimumSize(520, 260);
    layout->addWidget(m_text, 1);
    m_check = new QCheckBox(QStringLiteral("&Do not explain this again"), this);
    layout->addWidget(m_check);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool CRenderFormatsDialog::DontExplainAgain() const { return m_check->isChecked(); }
QString CRenderFormatsDialog::Explanation() const { return m_text->toPlainText(); }

// ---- Set JPEG Quality -----------------------------------------------------------------------

CJpegQualityDialog::CJpegQualityDialog(int quality, QWidget* parent) : QDialog(parent), m_quality(quality)
{
    setWindowTitle(QStringLiteral("Set JPEG Quality"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&JPEG Quality (0 to 100)"), this);
    m_field = new QLineEdit(QString::number(quality), this);
    m_field->setMaxLength(4);
    label->setBuddy(m_field);
    row->addWidget(label);
    row->addWidget(m_field);
    layout->addLayout(row);
    layout->addWidget(new QLabel(QStringLiteral("0=smallest file size worst quality\n100=largest file size best quality"), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CJpegQualityDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_field->selectAll();
    m_field->setFocus();
}

void CJpegQualityDialog::SetText(const QString& text) { m_field->setText(text); }

void CJpegQualityDialog::accept()
{
    const IntFieldResult r = ValidateIntField(m_field->text().toStdString(), 0, 100, "JPEG Quality");
    if (!r.ok) {
        ShowMessage(this, Q(r.message), EMessageIcon::Warning);
        m_field->setFocus();
        m_field->selectAll();
        return;
    }
    m_quality = r.value;
    QDialog::accept();
}

// ---- the flows ---------------------------------------------------------------------------

bool CopyRenderingToClipboard(QWidget* parent, const CRaster& rendering)
{
    std::string reason;
    QClipboard* clipboard = QApplication::clipboard();
    const bool cutOut = rendering.HasAlpha();
    const QImage image = cutOut ? RasterToQImageWithAlpha(rendering) : RasterToQImage(rendering);
    QByteArray png;
    if (cutOut && !image.isNull()) {
        // Programs that read the plain picture flatten it; those that take a
        // PNG from the clipboard get the transparency.
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            png.clear();
    }
    if (!clipboard) {
        reason = "The clipboard could not be opened, and may be in use by another application.";
    } else if (image.isNull() || (cutOut && png.isEmpty())) {
        reason = "The data could not be sent to the Clipboard. There may be insufficient memory. Try closing other "
                 "applications.";
    } else {
        clipboard->clear();
        if (clipboard->ownsClipboard() && !clipboard->image().isNull()) {
            reason = "The Clipboard could not be emptied, and may be in use by another application.";
        } else {
            if (cutOut) {
                auto* data = new QMimeData;
                data->setImageData(image);
                data->setData(QStringLiteral("image/png"), png);
                clipboard->setMimeData(data);
            } else {
                clipboard->setImage(image);
            }
            if (clipboard->image().isNull())
                reason = "The data could not be sent to the Clipboard. There may be insufficient memory. Try closing "
                         "other applications.";
        }
    }
    if (reason.empty())
        return true;
    ShowMessage(parent, QStringLiteral("Unable to copy to the Clipboard.\n\n") + Q(reason), EMessageIcon::Error);
    return false;
}

bool SaveRenderingWithDialogs(QWidget* parent, CRaster& rendering, const CAppFolders* folders, std::string* savedName,
                              CutOutMaker makeCutOut, BusyRunner runBusy)
{
    SRenderFileDialogs dialogs;
    dialogs.makeCutOut = std::move(makeCutOut);
    if (runBusy)
        dialogs.writeFile = [runBusy](const std::string& name, const std::function<void()>& write) {
            runBusy(QStringLiteral("Please wait - Saving ") + QFileInfo(Q(name)).fileName(), write);
        };
    dialogs.explainFormats = [parent](bool& dontExplain) {
        CRenderFormatsDialog dialog(parent);
        const bool ok = Run(dialog) == QDialog::Accepted;
        dontExplain = dialog.DontExplainAgain();
        return ok;
    };
    dialogs.chooseFile = [parent, folders](const std::string& remembered) -> std::optional<SSaveChoice> {
        // Nothing saved yet: start in the data folder's render folder.
        const std::string folder = remembered.empty() && folders ? folders->GetRenderFolder() : remembered;
        if (Chooser()) {
            const auto answer = Chooser()(Q(folder));
            if (!answer)
                return std::nullopt;
            return SSaveChoice{answer->first.toStdString(), answer->second};
        }
        const QStringList filters = RenderFileFilters();
        QString selected = filters.value(0);
        if (!folder.empty())
            QDir::setCurrent(Q(folder));
        QFileDialog dialog(parent, QString::fromLatin1(kRenderToFileTitle), Q(folder));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(filters);
        // The extension follows the chosen filter (added below when missing).
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const int filter = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
        return SSaveChoice{dialog.selectedFiles().first().toStdString(), filter > 0 ? filter : 1};
    };
    dialogs.chooseJpegQuality = [parent](int quality) -> std::optional<int> {
        CJpegQualityDialog dialog(quality, parent);
        if (Run(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.Quality();
    };
    dialogs.showMessage = [parent](const std::string& message) {
        ShowMessage(parent, Q(message), EMessageIcon::Error);
    };
    CRenderOutput output(folders ? &folders->UserSettings() : nullptr);
    return RunRenderToFile(rendering, output, folders ? &folders->UserSettings() : nullptr, dialogs, savedName) ==
           ERenderFileResult::Saved;
}

void RunRenderToClipboard(QWidget* parent, CEditService& edits, CRenderService& renders)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CRaster* rendering = UpToDateRendering(parent, edits, renders);
    QApplication::restoreOverrideCursor();
    if (rendering)
        CopyRenderingToClipboard(parent, *rendering);
}

void RunRenderToFile(QWidget* parent, CEditService& edits, CRenderService& renders)
{
    CRaster* rendering = UpToDateRendering(parent, edits, renders);
    if (!rendering)
        return;
    std::unique_ptr<CRaster> cutOut;
    SaveRenderingWithDialogs(
        parent, *rendering, edits.Folders(), nullptr,
        [&](std::string& why) { return RenderCutOut(edits, renders, cutOut, why); },
        [&renders](const QString& status, std::function<void()> work) { renders.RunAside(status, std::move(work)); });
}

void RunRenderCutOutToClipboard(QWidget* parent, CEditService& edits, CRenderService& renders)
{
    if (!edits.Document() || !edits.Document()->GetProduct())
        return;
    std::unique_ptr<CRaster> cutOut;
    std::string why;
    if (const CRaster* picture = RenderCutOut(edits, renders, cutOut, why))
        CopyRenderingToClipboard(parent, *picture);
    else if (!why.empty())
        ShowMessage(parent, Q(why), EMessageIcon::Warning);
}

void OfferRenderComplete(CEditService& edits, CRenderService& renders)
{
    const CAppFolders* folders = edits.Folders();
    auto* bar = renders.RenderPage()->findChild<CRenderCompleteBar*>();
    if (!bar || !folders || edits.CurrentTabName() != QLatin1String("Render") ||
        !IsRenderCompleteOffered(g_suppressPrompt, &folders->UserSettings()))
        return;
    bar->Offer();
}

void InstallRenderCompletePrompt(QWidget* parent, CEditService& edits, CRenderService& renders)
{
    auto* bar = new CRenderCompleteBar;
    renders.RenderPage()->SetTopBar(bar);
    QObject::connect(bar, &CRenderCompleteBar::chosen, parent, [parent, &edits, &renders](int choice, bool dontAskAgain) {
        const CAppFolders* folders = edits.Folders();
        SetPromptRenderNoAsk(folders ? &folders->UserSettings() : nullptr, dontAskAgain);
        if (choice == kRenderCompleteCopy)
            RunRenderToClipboard(parent, edits, renders);
        else if (choice == kRenderCompleteSave)
            RunRenderToFile(parent, edits, renders);
    });
}
