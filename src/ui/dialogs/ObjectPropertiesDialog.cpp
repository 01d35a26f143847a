#include "ui/dialogs/ObjectPropertiesDialog.h"

#include "layout/barcode/DrawBarcode.h"
#include "layout/shapes/DrawPicture.h"
#include "layout/shapes/DrawRect.h"
#include "layout/text/DrawText.h"
#include "ui/dialogs/DrawBarcodeDialog.h"
#include "ui/dialogs/TextPropertyPage.h"
#include "ui/widgets/ColorButton.h"
#include "ui/widgets/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The dash styles by number.
constexpr const char* kDashNames[] = {"Solid", "Dash", "Dot", "Dash-Dot"};

CColorButton* MakeColour(QWidget* parent, const char* name, std::uint32_t colour)
{
    auto* b = new CColorButton(QIcon(QStringLiteral(":/icons/colors.svg")), QString(), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->SetColor(colour);
    b->setIconSize(QSize(32, 32));
    return b;
}

} // namespace

CObjectPropertiesDialog::CObjectPropertiesDialog(const std::vector<CDrawObject*>& objects, QWidget* parent,
                                                 double pixelsPerMm)
    : QDialog(parent), m_objects(objects), m_pixelsPerMm(pixelsPerMm)
{
    setWindowTitle(QStringLiteral("Properties"));
    auto* layout = new QVBoxLayout(this);
    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages);
    for (CDrawObject* o : m_objects)
        m_pages->addWidget(MakePage(o));
    auto* row = new QHBoxLayout;
    m_back = new QPushButton(QStringLiteral("< &Back"), this);
    m_next = new QPushButton(QStringLiteral("&Next >"), this);
    connect(m_back, &QPushButton::clicked, this, &CObjectPropertiesDialog::Back);
    connect(m_next, &QPushButton::clicked, this, &CObjectPropertiesDialog::Next);
    row->addWidget(m_back);
    row->addWidget(m_next);
    row->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CObjectPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    row->addWidget(buttons);
    layout->addLayout(row);
    UpdateButtons();
}

QWidget* CObjectPropertiesDialog::MakePage(CDrawObject* o)
{
    // Pages without checks or a field of their own keep these defaults.
    m_validate.push_back([]() { return true; });
    m_focus.push_back([]() {});
    auto* page = new QGroupBox(QString::fromLatin1(o->GetKindName()), m_pages);
    auto* form = new QFormLayout(page);
    if (o->HasStyle()) {
        AddStyleRows(form, page, o);
    } else if (o->HasLineColour()) {
        CColorButton* c = MakeColour(page, "lineColour", o->GetLineColour());
        form->addRow(QStringLiteral("&Line Color"), c);
        m_apply.push_back([o, c]() {
            o->SetLineColour(c->Color());
            return true;
        });
    } else if (auto* picture = dynamic_cast<CDrawPicture*>(o)) {
        AddPictureRows(form, page, picture);
    } else if (auto* barcode = dynamic_cast<CDrawBarcode*>(o)) {
        AddBarcodeRows(form, page, barcode);
    } else if (auto* text = dynamic_cast<CDrawText*>(o)) {
        AddTextRows(form, page, text);
    } else {
        m_apply.push_back([]() { return true; });
    }
    AddLookRows(form, page, o);
    return page;
}

// Outlined, filled or both, with the line and fill colours.
void CObjectPropertiesDialog::AddStyleRows(QFormLayout* form, QWidget* page, CDrawObject* o)
{
    auto* styles = new QWidget(page);
    auto* sl = new QHBoxLayout(styles);
    sl->setContentsMargins(0, 0, 0, 0);
    QRadioButton* radios[3] = {new QRadioButton(QStringLiteral("Outlined"), styles),
                               new QRadioButton(QStringLiteral("Filled"), styles),
                               new QRadioButton(QStringLiteral("Outlined Filled"), styles)};
    for (int i = 0; i < 3; ++i) {
        radios[i]->setObjectName(QStringLiteral("style%1").arg(i));
        sl->addWidget(radios[i]);
    }
    radios[std::min<std::uint32_t>(o->GetStyle(), 2)]->setChecked(true);
    form->addRow(QStringLiteral("Fill &Style"), styles);
    CColorButton* c1 = MakeColour(page, "colour1", o->GetLineColour());
    CColorButton* c2 = MakeColour(page, "colour2", o->GetFillColour());
    auto* swap = new QPushButton(QStringLiteral("<- S&wap ->"), page);
    connect(swap, &QPushButton::clicked, page, [c1, c2]() { CColorButton::SwapColors(*c1, *c2); });
    auto* colours = new QWidget(page);
    auto* cl = new QHBoxLayout(colours);
    cl->setContentsMargins(0, 0, 0, 0);
    // A label shows its "&" as a mnemonic only when it leads somewhere.
    auto* l1 = new QLabel(QStringLiteral("Color &1"), colours);
    l1->setBuddy(c1);
    auto* l2 = new QLabel(QStringLiteral("Color &2"), colours);
    l2->setBuddy(c2);
    cl->addWidget(l1);
    cl->addWidget(c1);
    cl->addWidget(swap);
    cl->addWidget(l2);
    cl->addWidget(c2);
    form->addRow(colours);
    m_apply.push_back([o, radios, c1, c2]() {
        for (std::uint32_t i = 0; i < 3; ++i)
            if (radios[i]->isChecked())
                o->SetStyle(i);
        o->SetLineColour(c1->Color());
        o->SetFillColour(c2->Color());
        return true;
    });
}

// Transparency, its colour and the crop.
void CObjectPropertiesDialog::AddPictureRows(QFormLayout* form, QWidget* page, CDrawPicture* picture)
{
    auto* transparent = new QCheckBox(QStringLiteral("&Transparent"), page);
    transparent->setChecked(picture->IsTransparent());
    CColorButton* c = MakeColour(page, "transparentColour", picture->GetTransparentColour());
    form->addRow(transparent);
    form->addRow(QStringLiteral("&Color"), c);
    // Percentages cut off the left, top, right and bottom as shown.
    auto* crops = new QWidget(page);
    auto* cropRow = new QHBoxLayout(crops);
    cropRow->setContentsMargins(0, 0, 0, 0);
    std::array<QDoubleSpinBox*, 4> cut{};
    const char* const cutNames[4] = {"cropLeft", "cropTop", "cropRight", "cropBottom"};
    for (int i = 0; i < 4; ++i) {
        cut[i] = new QDoubleSpinBox(crops);
        cut[i]->setObjectName(QString::fromLatin1(cutNames[i]));
        cut[i]->setRange(0, 95);
        cut[i]->setDecimals(1);
        cut[i]->setSuffix(QStringLiteral(" %"));
        cut[i]->setToolTip(QStringLiteral("Cut off the %1 side").arg(QString::fromLatin1(cutNames[i] + 4).toLower()));
        cropRow->addWidget(cut[i]);
    }
    form->addRow(QStringLiteral("Cr&op left, top, right, bottom"), crops);
    m_apply.push_back([this, picture, transparent, c, cut]() {
        picture->SetTransparent(transparent->isChecked());
        picture->SetTransparentColour(c->Color());
        if (cut[0]->value() + cut[1]->value() + cut[2]->value() + cut[3]->value() > 0 &&
            !picture->Crop(cut[0]->value(), cut[1]->value(), cut[2]->value(), cut[3]->value())) {
            ShowMessage(this, QStringLiteral("Nothing of the picture would remain."), EMessageIcon::Warning);
            cut[0]->setFocus();
            return false;
        }
        return true;
    });
}

void CObjectPropertiesDialog::AddBarcodeRows(QFormLayout* form, QWidget* page, CDrawBarcode* barcode)
{
    auto* editor = new CBarcodePropertyPage(page);
    editor->SetKind(barcode->GetBarcodeKind());
    editor->SetData(barcode->GetData());
    form->addRow(editor);
    m_focus.back() = [editor]() { editor->FocusField(); };
    m_validate.back() = [editor]() { return editor->Validate(); };
    m_apply.push_back([this, barcode, editor]() {
        if (editor->ApplyTo(*barcode))
            return true;
        ShowMessage(this, QStringLiteral("Barcode includes invalid characters."), EMessageIcon::Warning);
        editor->FocusField();
        return false;
    });
}

void CObjectPropertiesDialog::AddTextRows(QFormLayout* form, QWidget* page, CDrawText* text)
{
    auto* editor = new CTextPropertyPage(page);
    editor->SetValues(CTextValues::FromObject(*text));
    form->addRow(editor);
    m_focus.back() = [editor]() { editor->FocusField(); };
    m_validate.back() = [editor]() { return editor->Validate(); };
    m_apply.push_back([text, editor]() {
        editor->Values().ApplyTo(*text);
        // The box follows the text: a new text or size changes its extent.
        text->FitToText();
        return true;
    });
}

void CObjectPropertiesDialog::AddLookRows(QFormLayout* form, QWidget* page, CDrawObject* o)
{
    // A length field in millimetres of the product, or in face pixels.
    const double scale = m_pixelsPerMm > 0 ? m_pixelsPerMm : 1.0;
    const QString unit = m_pixelsPerMm > 0 ? QStringLiteral(" mm") : QStringLiteral(" px");
    auto length = [&](const char* name, int pixels, int low, int high) {
        auto* f = new QDoubleSpinBox(page);
        f->setObjectName(QString::fromLatin1(name));
        // Enough decimals that every face pixel can be typed.
        f->setDecimals(m_pixelsPerMm > 0 ? std::clamp(static_cast<int>(std::ceil(std::log10(scale))) + 1, 2, 4) : 0);
        f->setSingleStep(m_pixelsPerMm > 0 ? 0.1 : 1.0);
        f->setRange(low / scale, high / scale);
        f->setSuffix(unit);
        f->setValue(pixels / scale);
        return f;
    };
    QDoubleSpinBox* width = nullptr;
    QComboBox* dash = nullptr;
    QDoubleSpinBox* radius = nullptr;
    if (o->HasLineColour()) {
        width = length("lineWidth", o->GetLineWidth(), 1, kMaxLineWidth);
        form->addRow(QStringLiteral("L&ine width"), width);
        dash = new QComboBox(page);
        dash->setObjectName(QStringLiteral("dash"));
        for (const char* name : kDashNames)
            dash->addItem(QString::fromLatin1(name));
        dash->setCurrentIndex(static_cast<int>(o->GetDash()));
        form->addRow(QStringLiteral("&Dash"), dash);
    }
    if (dynamic_cast<CDrawRect*>(o)) {
        radius = length("cornerRadius", o->GetCornerRadius(), 0, 100000);
        form->addRow(QStringLiteral("Co&rner radius"), radius);
    }
    auto* opacity = new QSpinBox(page);
    opacity->setObjectName(QStringLiteral("opacity"));
    opacity->setRange(0, 100);
    opacity->setSuffix(QStringLiteral(" %"));
    opacity->setValue(static_cast<int>(o->GetOpacity()));
    form->addRow(QStringLiteral("O&pacity"), opacity);
    // One apply per page: the kind's fields first, then the look.
    m_apply.back() = [kind = std::move(m_apply.back()), o, width, dash, radius, opacity, scale]() {
        if (!kind())
            return false;
        if (width)
            o->SetLineWidth(std::max(1, static_cast<int>(std::lround(width->value() * scale))));
        if (dash)
            o->SetDash(static_cast<std::uint32_t>(std::max(0, dash->currentIndex())));
        if (radius)
            o->SetCornerRadius(static_cast<int>(std::lround(radius->value() * scale)));
        o->SetOpacity(static_cast<std::uint32_t>(opacity->value()));
        return true;
    };
}

int CObjectPropertiesDialog::PageCount() const { return m_pages->count(); }
int CObjectPropertiesDialog::CurrentPage() const { return m_pages->currentIndex(); }
QWidget* CObjectPropertiesDialog::Page(int index) const { return m_pages->widget(index); }

void CObjectPropertiesDialog::ShowPage(int index)
{
    m_pages->setCurrentIndex(index);
    UpdateButtons();
    if (index >= 0 && index < static_cast<int>(m_focus.size()))
        m_focus[static_cast<std::size_t>(index)]();
}

bool CObjectPropertiesDialog::LeavePage()
{
    const int current = m_pages->currentIndex();
    if (current < 0 || current >= static_cast<int>(m_validate.size()))
        return true;
    return m_validate[static_cast<std::size_t>(current)]();
}

void CObjectPropertiesDialog::Next()
{
    // A page with a refused field cannot be left; it keeps the focus there.
    if (m_pages->currentIndex() + 1 < m_pages->count() && LeavePage())
        ShowPage(m_pages->currentIndex() + 1);
}

void CObjectPropertiesDialog::Back()
{
    if (m_pages->currentIndex() > 0 && LeavePage())
        ShowPage(m_pages->currentIndex() - 1);
}

void CObjectPropertiesDialog::UpdateButtons()
{
    m_back->setEnabled(m_pages->currentIndex() > 0);
    m_next->setEnabled(m_pages->currentIndex() + 1 < m_pages->count());
}

bool CObjectPropertiesDialog::ApplyPages()
{
    // Every page is checked before any copy changes, the page shown first.
    // Another page is brought to the front before its check, so that its
    // message stands over it and the focus lands in its refused field.
    const int current = m_pages->currentIndex();
    if (!LeavePage())
        return false;
    for (std::size_t i = 0; i < m_validate.size(); ++i) {
        if (static_cast<int>(i) == current)
            continue;
        m_pages->setCurrentIndex(static_cast<int>(i));
        if (!m_validate[i]()) {
            UpdateButtons();
            m_focus[i]();
            return false;
        }
    }
    m_pages->setCurrentIndex(current);
    for (std::size_t i = 0; i < m_apply.size(); ++i) {
        if (!m_apply[i]()) {
            ShowPage(static_cast<int>(i));
            return false;
        }
    }
    return true;
}

void CObjectPropertiesDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ShowPage(m_pages->currentIndex());
}

void CObjectPropertiesDialog::accept()
{
    if (ApplyPages())
        QDialog::accept();
}
