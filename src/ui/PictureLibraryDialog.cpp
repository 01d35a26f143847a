#include "ui/PictureLibraryDialog.h"

#include "app/AppFolders.h"
#include "ui/GridEditors.h"
#include "ui/MessageBox.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

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
    buttons->addWidget(m_info);
    buttons->addWidget(more);
    buttons->addStretch(1);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addWidget(box);
    layout->addLayout(buttons);
    connect(box, &QDialogButtonBox::accepted, this, &CPictureLibraryDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CPictureLibraryDialog::reject);
    connect(m_info, &QPushButton::clicked, this, &CPictureLibraryDialog::ShowInfo);
    connect(more, &QPushButton::clicked, this,
            [] { QDesktopServices::openUrl(QUrl(QStringLiteral("https://www.vantorel.com/library.php"))); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { accept(); });
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_info->setEnabled(!m_list->selectedItems().isEmpty()); });

    const CLibraryTreeState state(folders.UserSettings());
    const std::string remembered = state.GetSelection();
    QTreeWidgetItem* select = nullptr;
    for (const std::string& folder :
         ReadLibraryList(folders.GetInternalFolder() + kLibraryListFileName)) {
        auto* item = new QTreeWidgetItem(m_tree, QStringList(FolderText(folder)));
        item->setData(0, Qt::UserRole, Q(folder));
        if (item->text(0).toStdString() == remembered)
            select = item;
        item->setExpanded(state.IsExpanded(item->text(0).toStdString()));
    }
    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        CLibraryTreeState(m_folders.UserSettings()).SetExpanded(item->text(0).toStdString(), true);
    });
    connect(m_tree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        CLibraryTreeState(m_folders.UserSettings()).SetExpanded(item->text(0).toStdString(), false);
    });
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { ShowFolder(item); });
    if (!select && m_tree->topLevelItemCount() > 0)
        select = m_tree->topLevelItem(0);
    if (select)
        m_tree->setCurrentItem(select);
    m_info->setEnabled(false);
    resize(640, 440);
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
