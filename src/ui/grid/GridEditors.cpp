#include "ui/grid/GridEditors.h"

#include "image/picture/PictureLoader.h"
#include "image/Raster.h"
#include "properties/PageChecks.h"
#include "properties/settings/SettingChecks.h"
#include "ui/widgets/ColorButton.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/RasterImage.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

// ---- in-place editor ------------------------------------------------------------------

CInPlaceEditor::CInPlaceEditor(EMode mode, const QString& editLabel, QWidget* parent)
    // A borderless modal dialog rather than a popup: popups are closed by the
    // first modal window, and the refusal messages must leave the editor open.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_mode(mode), m_label(editLabel)
{
    setObjectName(QStringLiteral("inPlaceEditor"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(2);
    switch (mode) {
    case EMode::Text:
    case EMode::Number:
        m_edit = new QLineEdit(this);
        m_edit->setFrame(false);
        layout->addWidget(m_edit);
        connect(m_edit, &QLineEdit::returnPressed, this, &CInPlaceEditor::accept);
        break;
    case EMode::Choice:
        m_combo = new QComboBox(this);
        layout->addWidget(m_combo);
        // A choice from the open list is taken at once; arrow keys on the
        // closed list only move through the names, Enter takes the one shown.
        m_combo->installEventFilter(this);
        connect(m_combo, qOverload<int>(&QComboBox::activated), this, [this](int) {
            if (!m_keyStepping)
                accept();
        });
        break;
    case EMode::Colour:
        m_colour = new CColorButton(QIcon(), editLabel, this);
        m_colour->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        m_colour->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        layout->addWidget(m_colour);
        connect(m_colour, &CColorButton::colorChosen, this, [this](std::uint32_t) { accept(); });
        break;
    case EMode::Slider:
        m_slider = new QSlider(Qt::Horizontal, this);
        m_sliderText = new QLabel(this);
        m_sliderText->setMinimumWidth(34);
        m_sliderText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(m_slider, 1);
        layout->addWidget(m_sliderText);
        connect(m_slider, &QSlider::valueChanged, this, &CInPlaceEditor::UpdateSliderText);
        break;
    }
    if (mode != EMode::Choice && mode != EMode::Text && mode != EMode::Number) {
        auto* ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("ok"));
        ok->setDefault(true);
        ok->setAutoDefault(true);
        ok->setMaximumWidth(40);
        layout->addWidget(ok);
        connect(ok, &QPushButton::clicked, this, &CInPlaceEditor::accept);
    }
}

void CInPlaceEditor::SetText(const QString& text)
{
    if (m_edit) {
        m_edit->setText(text);
        m_edit->selectAll();
        m_edit->setFocus();
    }
}

QString CInPlaceEditor::Text() const { return m_edit ? m_edit->text() : QString(); }

void CInPlaceEditor::SetRange(int minimum, int maximum, const QString& unit)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_unit = unit;
}

void CInPlaceEditor::SetChoices(const QStringList& names, const QString& current)
{
    if (!m_combo)
        return;
    m_combo->clear();
    m_combo->addItems(names);
    const int index = names.indexOf(current);
    m_combo->setCurrentIndex(index >= 0 ? index : 0);
    m_combo->setFocus();
}

QString CInPlaceEditor::Choice() const { return m_combo ? m_combo->currentText() : QString(); }
int CInPlaceEditor::ChoiceIndex() const { return m_combo ? m_combo->currentIndex() : -1; }
void CInPlaceEditor::SetChoiceIndex(int index)
{
    if (m_combo)
        m_combo->setCurrentIndex(index);
}

void CInPlaceEditor::SetColour(std::uint32_t colour)
{
    if (m_colour)
        m_colour->SetColor(colour);
}

std::uint32_t CInPlaceEditor::Colour() const { return m_colour ? m_colour->Color() : 0; }

void CInPlaceEditor::SetSlider(int minimum, int maximum, int value)
{
    if (!m_slider)
        return;
    // The track bar counts from zero; a negative minimum is shifted there and back.
    m_shift = minimum < 0 ? -minimum : 0;
    m_minimum = minimum;
    m_maximum = maximum;
    m_slider->setRange(minimum + m_shift, maximum + m_shift);
    m_slider->setPageStep(std::max(1, (maximum - minimum) / 10));
    m_slider->setValue(std::clamp(value, minimum, maximum) + m_shift);
    UpdateSliderText();
    m_slider->setFocus();
}

int CInPlaceEditor::SliderValue() const { return m_slider ? m_slider->value() - m_shift : 0; }
void CInPlaceEditor::SetSliderValue(int value)
{
    if (m_slider)
        m_slider->setValue(value + m_shift);
}

void CInPlaceEditor::UpdateSliderText()
{
    if (m_sliderText)
        m_sliderText->setText(QString::number(SliderValue()));
}

bool CInPlaceEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_combo && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
            key == Qt::Key_Home || key == Qt::Key_End) {
            m_keyStepping = true;
            m_combo->event(event);
            m_keyStepping = false;
            return true;
        }
        // A typed letter picks the name it begins and ends the edit with it,
        // as a click on the open list does; a letter no name begins leaves
        // the editor open.
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const QString text = keyEvent->text();
        if (text.size() == 1 && text.at(0).isPrint() && !text.at(0).isSpace() &&
            !(keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            // The next name after the one shown that begins with the letter.
            const int count = m_combo->count();
            for (int step = 1; step <= count; ++step) {
                const int index = (m_combo->currentIndex() + step) % count;
                if (index >= 0 && m_combo->itemText(index).startsWith(text, Qt::CaseInsensitive)) {
                    m_combo->setCurrentIndex(index);
                    accept();
                    break;
                }
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CInPlaceEditor::accept()
{
    if (m_mode == EMode::Number) {
        const IntFieldResult r = ValidateIntField(Text().toStdString(), m_minimum, m_maximum, m_label.toStdString(),
                                                  m_unit.toStdString());
        if (!r.ok) {
            ShowMessage(this, QString::fromStdString(r.message), EMessageIcon::Warning);
            m_edit->setFocus();
            m_edit->selectAll();
            return;
        }
        m_number = r.value;
    }
    if (m_mode == EMode::Colour && m_colourCheck && !m_colourCheck(Colour()))
        return;
    QDialog::accept();
}

// ---- lights ----------------------------------------------------------------------------

CLightsDialog::CLightsDialog(std::uint32_t mask, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Lights"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    for (int column = 0; column < 5; ++column)
        for (int row = 0; row < 5; ++row) {
            auto* b = new QPushButton(this);
            b->setCheckable(true);
            b->setStyleSheet(QStringLiteral("QPushButton:checked { background: #ffd23c; border: 1px solid #7a5c00; }"));
            b->setChecked((mask >> (column + 5 * row)) & 1u);
            b->setFixedSize(28, 28);
            b->setObjectName(QStringLiteral("light_%1_%2").arg(column).arg(row));
            b->setToolTip(QStringLiteral("Light %1, %2").arg(column + 1).arg(row + 1));
            // Row 0 is the bottom row of lights.
            grid->addWidget(b, 4 - row, column);
            m_buttons[column][row] = b;
        }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLightsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLightsDialog::reject);
    layout->addWidget(buttons);
}

std::uint32_t CLightsDialog::Mask() const
{
    std::uint32_t mask = 0;
    for (int column = 0; column < 5; ++column)
        for (int row = 0; row < 5; ++row)
            if (m_buttons[column][row]->isChecked())
                mask |= 1u << (column + 5 * row);
    return mask;
}

void CLightsDialog::SetLight(int column, int row, bool on) { m_buttons[column][row]->setChecked(on); }

void CLightsDialog::accept()
{
    // The grid edits Lights only while Shadows is on, so the shadow rule holds.
    const CheckResult r = CheckLights(Mask());
    if (!r.accepted) {
        ShowMessage(this, QString::fromStdString(r.message), EMessageIcon::Warning);
        return;
    }
    QDialog::accept();
}

// ---- page depths -----------------------------------------------------------------------

CPageDepthDialog::CPageDepthDialog(int front, int pages, int back, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Page Depth Percentages"));
    m_values[0] = front;
    m_values[1] = pages;
    m_values[2] = back;
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const char* labels[3] = {"&Front Cover", "&Pages", "Back Cover"};
    for (int i = 0; i < 3; ++i) {
        m_fields[i] = new QLineEdit(QString::number(m_values[i]), this);
        m_fields[i]->setObjectName(QStringLiteral("depth%1").arg(i));
        m_fields[i]->setMaxLength(3);
        form->addRow(QString::fromLatin1(labels[i]), m_fields[i]);
        connect(m_fields[i], &QLineEdit::textChanged, this, &CPageDepthDialog::UpdateTotal);
    }
    m_total = new QLabel(this);
    m_total->setObjectName(QStringLiteral("total"));
    form->addRow(QStringLiteral("TOTAL"), m_total);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPageDepthDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPageDepthDialog::reject);
    layout->addWidget(buttons);
    UpdateTotal();
}

void CPageDepthDialog::SetTexts(const QString& front, const QString& pages, const QString& back)
{
    m_fields[0]->setText(front);
    m_fields[1]->setText(pages);
    m_fields[2]->setText(back);
}

QString CPageDepthDialog::TotalText() const { return m_total->text(); }

bool CPageDepthDialog::CanAccept() const { return m_ok->isEnabled(); }

void CPageDepthDialog::UpdateTotal()
{
    const PagesTotal t =
        GetPagesTotal(m_fields[0]->text().toStdString(), m_fields[1]->text().toStdString(), m_fields[2]->text().toStdString());
    m_total->setText(QString::fromStdString(t.text));
    m_ok->setEnabled(t.canGoOn);
}

void CPageDepthDialog::accept()
{
    if (!CanAccept())
        return;
    const char* names[3] = {"Front Cover", "Pages", "Back Cover"};
    int values[3];
    for (int i = 0; i < 3; ++i) {
        const IntFieldResult r = ValidateIntField(m_fields[i]->text().toStdString(), 0, 100, names[i], "%");
        if (!r.ok) {
            ShowMessage(this, QString::fromStdString(r.message), EMessageIcon::Warning);
            m_fields[i]->setFocus();
            return;
        }
        values[i] = r.value;
    }
    for (int i = 0; i < 3; ++i)
        m_values[i] = values[i];
    QDialog::accept();
}

// ---- picture chooser -------------------------------------------------------------------

QImage LoadThumbnail(const QString& path, int size)
{
    if (path.isEmpty())
        return {};
    std::string message;
    std::unique_ptr<CRaster> picture = LoadPicture(path.toStdString(), message);
    if (!picture)
        return {};
    const QImage image = RasterToQImage(*picture);
    if (image.isNull())
        return {};
    return image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

CPictureChooser::CPictureChooser(const QString& title, const QString& prompt, const std::vector<Item>& items,
                                 const QString& current, QWidget* parent)
    : QDialog(parent), m_items(items)
{
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(prompt, this);
    layout->addWidget(label);
    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(77, 77));
    m_list->setGridSize(QSize(110, 110));
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setWordWrap(true);
    label->setBuddy(m_list);
    for (const Item& it : m_items) {
        auto* item = new QListWidgetItem(it.name, m_list);
        item->setData(Qt::UserRole, it.key);
        const QImage thumb = LoadThumbnail(it.picture, 77);
        if (!thumb.isNull())
            item->setIcon(QIcon(QPixmap::fromImage(thumb)));
        if (it.key == current)
            m_list->setCurrentItem(item);
    }
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CPictureChooser::accept);
    layout->addWidget(m_list, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPictureChooser::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPictureChooser::reject);
    layout->addWidget(buttons);
    resize(520, 420);
}

QString CPictureChooser::ChosenKey() const
{
    const QListWidgetItem* item = m_list->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toString() : QString();
}

QString CPictureChooser::ChosenName() const
{
    const QListWidgetItem* item = m_list->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void CPictureChooser::Choose(const QString& key)
{
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->data(Qt::UserRole).toString() == key) {
            m_list->setCurrentRow(i);
            return;
        }
    m_list->clearSelection();
}

void CPictureChooser::accept()
{
    const PageLeave r = LeaveListPage(!ChosenKey().isEmpty());
    if (!r.ok) {
        ShowMessage(this, QString::fromStdString(r.message), EMessageIcon::Warning);
        m_list->setFocus();
        return;
    }
    QDialog::accept();
}
