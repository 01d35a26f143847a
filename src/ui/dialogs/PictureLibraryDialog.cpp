#include "ui/dialogs/PictureLibraryDialog.h"

#include "ground/AppFolders.h"
#include "ground/IniFile.h"
#include "catalogue/setup/InstalledData.h"
#include "image/picture/PictureFormats.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"
#include "ui/grid/GridEditors.h"
#include "ui/widgets/MessageBox.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

CPictureLibraryDialog::FolderChooser& FolderChooserSlot()
{
    static CPictureLibraryDialog::FolderChooser chooser;
    return chooser;
}

// Tree text of a library folder: its last name.
QString FolderText(const std::string& folder)
{
    std::string f = folder;
    while (!f.empty() && f.back() == '/')
        f.pop_back();
    const std::size_t slash = f.rfind('/');
    return Q(slash == std::string::npos ? f : f.substr(slash + 1));
}
} // namespace

CPictureLibraryDialog::CPictureLibraryDialog(const CAppFolders& folders, QWidget* parent)
    : QDialog(parent), m_folders(folders)
{
    setObjectName(QStringLiteral("libraryDialog"));
    setWindowTitle(QStringLiteral("Library"));
    auto* layout = new QVBoxLayout(this);
    auto* panes = new QHBoxLayout;
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setMaximumWidth(220);
    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(77, 77));
    m_list->setGridSize(QSize(110, 110));
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setWordWrap(true);
    panes->addWidget(m_tree);
    panes->addWidget(m_list, 1);
    layout->addLayout(panes, 1);

    auto* buttons = new QHBoxLayout;
    m_info = new QPushButton(QStringLiteral("&Image Info..."), this);
    auto* more = new QPushButton(QStringLiteral("&Get More Images"), this);
    auto* generate = new QPushButton(QStringLiteral("Gen &Library"), this);
    buttons->addWidget(m_info);
    buttons->addWidget(more);
    buttons->addWidget(generate);
    buttons->addStretch(1);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addWidget(box);
    layout->addLayout(buttons);
    connect(box, &QDialogButtonBox::accepted, this, &CPictureLibraryDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CPictureLibraryDialog::reject);
    connect(m_info, &QPushButton::clicked, this, &CPictureLibraryDialog::ShowInfo);
    connect(more, &QPushButton::clicked, this,
            [] { QDesktopServices::openUrl(QUrl(QStringLiteral("https://www.vantorel.com/library.php"))); });
    connect(generate, &QPushButton::clicked, this, [this] {
        const QString folder = FolderChooserSlot()
                                   ? FolderChooserSlot()()
                                   : QFileDialog::getExistingDirectory(this, QStringLiteral("Gen Library"),
                                                                       Q(m_folders.GetImagesFolder()));
        if (!folder.isEmpty())
            GenerateLibrary(folder);
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { accept(); });
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_info->setEnabled(!m_list->selectedItems().isEmpty()); });

    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        CLibraryTreeState(m_folders.UserSettings()).SetExpanded(item->text(0).toStdString(), true);
    });
    connect(m_tree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        CLibraryTreeState(m_folders.UserSettings()).SetExpanded(item->text(0).toStdString(), false);
    });
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { ShowFolder(item); });
    FillTree(CLibraryTreeState(folders.UserSettings()).GetSelection());
    m_info->setEnabled(false);
    resize(640, 440);
}

void CPictureLibraryDialog::SetFolderChooser(FolderChooser chooser) { FolderChooserSlot() = std::move(chooser); }

void CPictureLibraryDialog::FillTree(const std::string& remembered)
{
    const CLibraryTreeState state(m_folders.UserSettings());
    const QSignalBlocker blocker(m_tree);
    m_tree->clear();
    QTreeWidgetItem* select = nullptr;
    for (const std::string& folder : ReadLibraryList(m_folders.GetInternalFolder() + kLibraryListFileName, FindInstalledDataFolder(GetExecutablePath()))) {
        auto* item = new QTreeWidgetItem(m_tree, QStringList(FolderText(folder)));
        item->setData(0, Qt::UserRole, Q(folder));
        if (item->text(0).toStdString() == remembered)
            select = item;
        item->setExpanded(state.IsExpanded(item->text(0).toStdString()));
    }
    if (!select && m_tree->topLevelItemCount() > 0)
        select = m_tree->topLevelItem(0);
    if (select)
        m_tree->setCurrentItem(select);
    ShowFolder(select);
}

bool CPictureLibraryDialog::GenerateLibrary(const QString& folderPath)
{
    std::string folder = QDir(folderPath).absolutePath().toStdString();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    // Every picture the program can read, in name order; the sizes come from the files.
    CIniDocument description;
    int count = 0;
    QStringList patterns;
    for (const std::string& pattern : PictureFilePatterns())
        patterns << Q(pattern);
    QStringList names = QDir(Q(folder)).entryList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        std::string message;
        const std::unique_ptr<CRaster> picture = LoadPicture(folder + name.toStdString(), message);
        if (!picture || !picture->IsValid())
            continue;
        const std::string n = std::to_string(++count) + ".";
        description.PutString("Image", n + "Image", name.toStdString());
        description.PutString("Image", n + "Path", name.toStdString());
        description.PutString("Image", n + "Name", QFileInfo(name).completeBaseName().toStdString());
        description.PutInt("Image", n + "Width", picture->GetWidth());
        description.PutInt("Image", n + "Height", picture->GetHeight());
    }
    if (count == 0) {
        ShowMessage(this, QStringLiteral("There are no pictures in %1.").arg(Q(folder)), EMessageIcon::Warning);
        return false;
    }
    const std::string descriptionFile = folder + kLibraryDescriptionFileName;
    if (!description.Save(descriptionFile)) {
        ShowMessage(this, QStringLiteral("The library file %1 could not be written.").arg(Q(descriptionFile)),
                    EMessageIcon::Warning);
        return false;
    }
    // Listed once: a folder already in the list keeps its place.
    const std::string listFile = m_folders.GetInternalFolder() + kLibraryListFileName;
    const std::vector<std::string> listed = ReadLibraryList(listFile, FindInstalledDataFolder(GetExecutablePath()));
    const std::string text = FolderText(folder).toStdString();
    if (std::find(listed.begin(), listed.end(), folder) == listed.end() &&
        !CIniFile(listFile).PutString("Library", text.empty() ? folder : text, folder)) {
        ShowMessage(this, QStringLiteral("The library file %1 could not be written.").arg(Q(listFile)),
                    EMessageIcon::Warning);
        return false;
    }
    FillTree(text);
    return true;
}

void CPictureLibraryDialog::ShowFolder(QTreeWidgetItem* item)
{
    m_list->clear();
    m_entries.clear();
    if (!item)
        return;
    CLibraryTreeState(m_folders.UserSettings()).SetSelection(item->text(0).toStdString());
    m_entries = ReadLibraryFolder(item->data(0, Qt::UserRole).toString().toStdString());
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const LibraryEntry& e = m_entries[i];
        auto* it = new QListWidgetItem(Q(e.name), m_list);
        it->setData(Qt::UserRole, static_cast<int>(i));
        const std::string thumb = ResolveLibraryFile(e, e.thumb.empty() ? e.path : e.thumb);
        const QImage image = LoadThumbnail(Q(thumb), 77);
        if (!image.isNull())
            it->setIcon(QIcon(QPixmap::fromImage(image)));
    }
}

const LibraryEntry* CPictureLibraryDialog::ChosenEntry() const
{
    const QListWidgetItem* it = m_list->currentItem();
    if (!it || !it->isSelected())
        return nullptr;
    const int i = it->data(Qt::UserRole).toInt();
    return i >= 0 && i < static_cast<int>(m_entries.size()) ? &m_entries[static_cast<std::size_t>(i)] : nullptr;
}

QString CPictureLibraryDialog::InfoText() const
{
    const LibraryEntry* e = ChosenEntry();
    return e ? Q(FormatLibraryImageInfo(*e)) : QString();
}

void CPictureLibraryDialog::ShowInfo()
{
    const QString text = InfoText();
    if (!text.isEmpty())
        ShowMessage(this, text, EMessageIcon::Information);
}

QString CPictureLibraryDialog::ChosenFile() const { return m_chosen; }

void CPictureLibraryDialog::accept()
{
    const LibraryEntry* e = ChosenEntry();
    if (!e) {
        ShowMessage(this, QStringLiteral("Please select an item."), EMessageIcon::Warning);
        return;
    }
    m_chosen = Q(ResolveLibraryFile(*e, e->image.empty() ? e->path : e->image));
    QDialog::accept();
}
