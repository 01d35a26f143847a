#include "ui/wizard/WizardControls.h"

#include "ui/grid/GridEditors.h"
#include "ui/widgets/ColorButton.h"
#include "ui/widgets/MessageBox.h"

#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>

namespace WizardControls {

QString Q(const std::string& s) { return QString::fromStdString(s); }

bool AskYesNo(QWidget* parent, const std::string& question)
{
    // These questions warn before something unusual: No is the safe default.
    return AskQuestion(parent, Q(question), false, EAnswer::No) == EAnswer::Yes;
}

bool Refused(QWidget* page, const PageLeave& r)
{
    if (r.ok)
        return false;
    if (!r.message.empty())
        ShowMessage(page, Q(r.message), EMessageIcon::Warning);
    return true;
}

void FocusField(QLineEdit* field)
{
    field->setFocus();
    field->selectAll();
}

CColorButton* ColourButton(const QString& text, std::uint32_t colour, const QString& name, QWidget* parent)
{
    auto* b = new CColorButton(QIcon(), text, parent);
    b->setObjectName(name);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->SetColor(colour);
    return b;
}

QComboBox* ChoiceCombo(ChoiceList list, int value, const QString& name, QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    for (const SettingValueName& v : GetValueNames(list))
        c->addItem(QString::fromLatin1(v.name), v.value);
    const int index = c->findData(value);
    c->setCurrentIndex(index >= 0 ? index : 0);
    return c;
}

int ComboValue(const QComboBox* c) { return c->currentData().toInt(); }

QListWidget* ThumbnailList(const QString& name, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setViewMode(QListView::IconMode);
    list->setIconSize(QSize(77, 77));
    list->setGridSize(QSize(104, 110));
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    list->setWordWrap(true);
    return list;
}

void AddThumbnail(QListWidget* list, const QString& text, const QString& key, const QString& picture)
{
    auto* item = new QListWidgetItem(text, list);
    item->setData(Qt::UserRole, key);
    const QImage thumb = LoadThumbnail(picture, 77);
    if (!thumb.isNull())
        item->setIcon(QIcon(QPixmap::fromImage(thumb)));
}

QString ChosenKey(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toString() : QString();
}

} // namespace WizardControls
