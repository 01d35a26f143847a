#include "ui/dialogs/ExportDialogs.h"

#include "ground/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "layout/export/ArtworkPdf.h"
#include "layout/export/ProductGlb.h"
#include "ui/shell/EditService.h"
#include "ui/widgets/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>

namespace {

QDialogButtonBox* AddButtons(QDialog* dialog, QFormLayout* form)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    form->addRow(buttons);
    return buttons;
}

// The save dialog in the folder remembered under `key`; the extension is
// added when the name has none. Empty when cancelled.
QString ChooseFile(QWidget* parent, const CAppFolders* folders, const char* key, const QString& title,
                   const QString& filter, const QString& suffix)
{
    QString folder;
    if (folders)
        folder = QString::fromStdString(folders->UserSettings().GetString("Dir", key, ""));
    if (folder.isEmpty() && folders)
        folder = QString::fromStdString(folders->GetRenderFolder());
    QString name = QFileDialog::getSaveFileName(parent, title, folder, filter);
    if (name.isEmpty())
        return name;
    if (QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + suffix;
    if (folders)
        folders->UserSettings().PutString("Dir", key, QFileInfo(name).absolutePath().toStdString());
    return name;
}

// Runs `write` under the wait cursor; a failure is shown as the render
// output shows its own.
template <typename Write>
void Export(QWidget* parent, const QString& name, Write write)
{
    std::string error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = write(name.toStdString(), error);
    QApplication::restoreOverrideCursor();
    if (!ok)
        ShowMessage(parent, QStringLiteral("Error exporting to %1 (%2)").arg(name, QString::fromStdString(error)),
                    EMessageIcon::Error);
}

CVtwinDoc* DocumentWithProduct(const CEditService& edits)
{
    CVtwinDoc* doc = edits.Document();
    return doc && doc->GetProduct() ? doc : nullptr;
}

}  // namespace

CExportArtworkDialog::CExportArtworkDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Export Artwork"));
    auto* form = new QFormLayout(this);
    m_bleed = new QDoubleSpinBox(this);
    m_bleed->setRange(0, CArtworkPdf::kMaxBleed);
    m_bleed->setDecimals(1);
    m_bleed->setSuffix(QStringLiteral(" mm"));
    m_bleed->setValue(SArtworkOptions().bleed);
    form->addRow(QStringLiteral("&Bleed:"), m_bleed);
    m_marks = new QCheckBox(QStringLiteral("Crop and fold &marks"), this);
    form->addRow(QString(), m_marks);
    m_dpi = new QComboBox(this);
    m_dpi->addItem(QStringLiteral("Their own resolution"), 0);
    for (int dpi : {150, 300, 600})
        m_dpi->addItem(QStringLiteral("%1 dpi").arg(dpi), dpi);
    form->addRow(QStringLiteral("&Pictures:"), m_dpi);
    AddButtons(this, form);
}

double CExportArtworkDialog::Bleed() const { return m_bleed->value(); }
bool CExportArtworkDialog::Marks() const { return m_marks->isChecked(); }
int CExportArtworkDialog::Dpi() const { return m_dpi->currentData().toInt(); }

CExportModelDialog::CExportModelDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Export 3D Model"));
    auto* form = new QFormLayout(this);
    m_size = new QComboBox(this);
    for (int size : {512, 1024, 2048, 4096})
        m_size->addItem(QStringLiteral("%1 pixels").arg(size), size);
    m_size->setCurrentIndex(m_size->findData(CProductGlb::kDefaultTextureSize));
    form->addRow(QStringLiteral("&Largest texture:"), m_size);
    AddButtons(this, form);
}

int CExportModelDialog::TextureSize() const { return m_size->currentData().toInt(); }

void RunExportArtwork(QWidget* parent, const CEditService& edits)
{
    CVtwinDoc* doc = DocumentWithProduct(edits);
    if (!doc)
        return;
    CExportArtworkDialog options(parent);
    if (options.exec() != QDialog::Accepted)
        return;
    const QString name = ChooseFile(parent, edits.Folders(), "Export Artwork",
                                    QStringLiteral("Export Artwork"), QStringLiteral("PDF Files (*.pdf)"),
                                    QStringLiteral("pdf"));
    if (name.isEmpty())
        return;
    SArtworkOptions o;
    o.bleed = options.Bleed();
    o.marks = options.Marks();
    o.dpi = options.Dpi();
    Export(parent, name, [doc, &o](const std::string& path, std::string& error) {
        const CVtwinDoc& d = *doc;
        return CArtworkPdf::Write(*d.GetProduct(), [&d](std::string_view key) { return d.FindFaceObjects(key); },
                                  o, path, error);
    });
}

void RunExportModel(QWidget* parent, const CEditService& edits)
{
    CVtwinDoc* doc = DocumentWithProduct(edits);
    if (!doc)
        return;
    CExportModelDialog options(parent);
    if (options.exec() != QDialog::Accepted)
        return;
    const QString name = ChooseFile(parent, edits.Folders(), "Export 3D Model",
                                    QStringLiteral("Export 3D Model"), QStringLiteral("glTF Binary Files (*.glb)"),
                                    QStringLiteral("glb"));
    if (name.isEmpty())
        return;
    const int size = options.TextureSize();
    Export(parent, name, [doc, size](const std::string& path, std::string& error) {
        const CVtwinDoc& d = *doc;
        // The page edges are prepared on a copy, so the document is not touched.
        const std::unique_ptr<CProduct> product = CloneProduct(*d.GetProduct());
        if (!product) {
            error = "Out of memory";
            return false;
        }
        return CProductGlb::Write(*product, [&d](std::string_view key) { return d.FindFaceObjects(key); }, size, path,
                                  error);
    });
}
