#include "ui/wizard/NewDialog.h"

#include "ground/AppFolders.h"
#include "app/NewDocument.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "ui/widgets/MessageBox.h"
#include "ui/wizard/NewProjectWizard.h"
#include "ui/wizard/WizardControls.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>

using namespace WizardControls;

namespace {

CNewDialog::WizardRunner& Runner()
{
    static CNewDialog::WizardRunner runner;
    return runner;
}

} // namespace

// ---- the "New" dialog --------------------------------------------------------------------

namespace {
constexpr int kModelCellWidth = 130;  // pixels, the narrowest model cell
}

CNewDialog::CNewDialog(const CAppFolders& folders, CVtwinDoc& doc, QWidget* parent)
    : QDialog(parent), m_folders(folders), m_doc(doc)
{
    setObjectName(QStringLiteral("newDialog"));
    setWindowTitle(QStringLiteral("New"));
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    layout->addWidget(m_tabs);
    m_list = ThumbnailList(QStringLiteral("models"), this);
    m_list->setGridSize(QSize(130, 120));
    layout->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &CNewDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CNewDialog::reject);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_ok->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { accept(); });

    m_filling = true;
    const std::string last = folders.GetUserString("GUI", "NewTab", kDefaultNewTab);
    int selected = 0;
    for (const CatalogueTab& tab : GetCatalogueTabs()) {
        const int i = m_tabs->addTab(QString::fromLatin1(tab.caption));
        m_tabs->setTabData(i, QString::fromLatin1(tab.prefix));
        if (last == tab.prefix)
            selected = i;
    }
    m_tabs->setCurrentIndex(selected);
    m_filling = false;
    connect(m_tabs, &QTabBar::currentChanged, this, &CNewDialog::OnTabChanged);
    FillList();
    // Wide enough to show all eight tabs without scroll arrows.
    resize(std::max(640, m_tabs->sizeHint().width() + 40), 460);
}

void CNewDialog::SetWizardRunner(WizardRunner runner) { Runner() = std::move(runner); }

void CNewDialog::OnTabChanged(int index)
{
    if (m_filling || index < 0)
        return;
    m_folders.PutUserString("GUI", "NewTab", m_tabs->tabData(index).toString().toStdString());
    FillList();
}

void CNewDialog::FillList()
{
    m_list->clear();
    const QString prefix = m_tabs->tabData(m_tabs->currentIndex()).toString();
    const std::string internal = m_folders.GetInternalFolder();
    const std::string pattern = "dmo_" + prefix.toStdString() + "_*.bmp";
    for (const std::string& file : ListFolderFiles(internal, pattern)) {
        std::string section = file;
        for (char& c : section)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string alias = m_folders.GetProgramString("Alias", section, "");
        // The model's name is the label; the file it comes from is in the tip.
        const QString name = alias.empty() ? Q(file) : Q(GetListName(alias));
        AddThumbnail(m_list, name, Q(file), Q(internal + file));
        m_list->item(m_list->count() - 1)->setToolTip(name + QStringLiteral(" (") + Q(file) + QLatin1Char(')'));
    }
    // Cells wide enough for the longest word of a name and tall enough for a
    // name wrapped onto two lines, so no text is cut off.
    const QFontMetrics metrics = m_list->fontMetrics();
    int width = kModelCellWidth;
    for (int i = 0; i < m_list->count(); ++i)
        for (const QString& word : m_list->item(i)->text().split(QLatin1Char(' ')))
            width = std::max(width, metrics.horizontalAdvance(word) + 16);
    int textHeight = 0;
    for (int i = 0; i < m_list->count(); ++i)
        textHeight = std::max(textHeight, metrics.boundingRect(QRect(0, 0, width - 8, 1000),
                                                               Qt::AlignHCenter | Qt::TextWordWrap,
                                                               m_list->item(i)->text())
                                              .height());
    m_list->setGridSize(QSize(width, 77 + 12 + std::max(textHeight, 2 * metrics.lineSpacing())));
    m_ok->setEnabled(!m_list->selectedItems().isEmpty());
}

bool CNewDialog::ChooseModel(const std::string& prefix, const std::string& section)
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->tabData(i).toString().toStdString() == prefix) {
            m_tabs->setCurrentIndex(i);
            for (int r = 0; r < m_list->count(); ++r)
                if (m_list->item(r)->data(Qt::UserRole).toString().compare(Q(section), Qt::CaseInsensitive) == 0) {
                    m_list->setCurrentRow(r);
                    return true;
                }
        }
    return false;
}

void CNewDialog::accept()
{
    const QString file = ChosenKey(m_list);
    if (file.isEmpty()) {
        ShowMessage(this, QStringLiteral("Error getting selection. Program data corrupted?"), EMessageIcon::Error);
        return;
    }
    ModelEntry entry;
    std::string error;
    if (!ReadNewProjectModel(m_folders, file.toStdString(), entry, error)) {
        ShowMessage(this, Q(error), EMessageIcon::Error);
        return;
    }
    const std::unique_ptr<CProduct> product = CreateProduct(entry.model);
    if (!product) {
        ShowMessage(this, QStringLiteral("Model not found. Data corrupted?"), EMessageIcon::Error);
        return;
    }
    CNewProjectWizard wizard(m_folders, entry, *product, this);
    const bool finished = Runner() ? Runner()(wizard) : wizard.exec() == QDialog::Accepted;
    if (!finished)
        return;  // the dialog stays open, the document as it was

    QProgressDialog progress(QStringLiteral("Creating new document"), QString(), 0, 0, this);
    progress.setWindowTitle(QStringLiteral("Creating new document"));
    progress.setMinimumDuration(0);
    progress.setWindowModality(Qt::WindowModal);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = CreateFromModel(m_folders, entry.section, wizard.Answers(), m_doc, error,
                                    [&progress](const std::string& step) {
                                        progress.setLabelText(Q(step));
                                        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                                    });
    QApplication::restoreOverrideCursor();
    progress.close();
    if (!ok) {
        ShowMessage(this, Q(error), EMessageIcon::Warning);
        return;
    }
    // A new project holds none of the user's work yet: closing it asks
    // nothing until it is edited.
    m_doc.SetModifiedFlag(false);
    QDialog::accept();
}
