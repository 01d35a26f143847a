#include "ui/dialogs/TextPropertyPage.h"

#include "app/VtwinDoc.h"
#include "layout/text/DrawText.h"
#include "layout/text/FontEngine.h"
#include "layout/text/TextBlock.h"
#include "layout/text/TextAppearanceNames.h"
#include "properties/settings/SettingChecks.h"
#include "ui/widgets/ColorButton.h"
#include "ui/widgets/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCursor>

#include <algorithm>
#include <iterator>

const char* const CTextPropertyPage::kAlignNames[4] = {"Left", "Center", "Right", "Justified"};
const int CTextPropertyPage::kListedSizes[16] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

namespace {

constexpr int kMinSize = 1, kMaxSize = 255;  // face pixels

// The mark beside each face of the face list: two overlapping capital T's,
// drawn from rectangles so that it does not depend on any font.
QIcon TrueTypeMark()
{
    static const QIcon icon = [] {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        auto letterT = [&p](int x, int y, const QColor& colour) {
            p.fillRect(QRect(x, y, 9, 2), colour);      // the bar
            p.fillRect(QRect(x + 3, y, 3, 10), colour);  // the stem
            p.fillRect(QRect(x + 2, y + 9, 5, 1), colour);  // its foot
        };
        letterT(0, 1, QColor(128, 128, 128));
        letterT(6, 5, QColor(0, 0, 160));
        p.end();
        return QIcon(pm);
    }();
    return icon;
}

bool Less(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

}  // namespace

// ---- values ----------------------------------------------------------------------------------

CTextValues CTextValues::FromObject(const CDrawText& t)
{
    CTextValues v;
    v.text = t.GetString();
    v.appearance = t.GetAppearance();
    v.colour1 = t.GetColour1();
    v.colour2 = t.GetColour2();
    v.bold = t.GetBold();
    v.italic = t.GetItalic();
    v.underline = t.GetUnderline();
    v.strikeOut = t.GetStrikeOut();
    v.smooth = t.GetSmooth();
    v.face = t.GetFontFace();
    v.size = t.GetSize();
    v.align = t.GetLayout().align;
    v.lineSpacing = t.GetLayout().lineSpacing;
    v.letterSpacing = t.GetLayout().letterSpacing;
    return v;
}

CTextValues CTextValues::FromDefaults(const CTextDefaults& d)
{
    CTextValues v;
    v.appearance = d.appearance >= 0 && d.appearance <= 4 ? static_cast<std::uint32_t>(d.appearance) : 0;
    v.colour1 = d.colour1 & 0xFFFFFF;
    v.colour2 = d.colour2 & 0xFFFFFF;
    v.bold = d.bold != 0;
    v.italic = d.italic != 0;
    v.underline = d.underline != 0;
    v.strikeOut = d.strikeOut != 0;
    v.smooth = d.smooth;
    v.face = d.font.empty() ? std::string("Arial") : d.font;
    // A size stored out of range is still shown as it is; OK refuses it.
    v.size = d.size > 0 ? static_cast<std::uint32_t>(d.size) : 12;
    v.align = d.align;
    v.lineSpacing = d.lineSpacing;
    v.letterSpacing = d.letterSpacing;
    return v;
}

void CTextValues::ToDefaults(CTextDefaults& d) const
{
    d.colour1 = colour1;
    d.colour2 = colour2;
    d.bold = bold ? 1 : 0;
    d.italic = italic ? 1 : 0;
    d.underline = underline ? 1 : 0;
    d.strikeOut = strikeOut ? 1 : 0;
    d.smooth = smooth;
    d.font = face;
    d.size = static_cast<std::int32_t>(std::min<std::uint32_t>(size, 0x7FFFFFFF));
    d.appearance = static_cast<std::int32_t>(appearance);
    d.align = align;
    d.lineSpacing = lineSpacing;
    d.letterSpacing = letterSpacing;
}

void CTextValues::ApplyTo(CDrawText& t) const
{
    // Each setter drops the cached picture of the object.
    t.SetColour1(colour1);
    t.SetColour2(colour2);
    t.SetBold(bold);
    t.SetItalic(italic);
    t.SetUnderline(underline);
    t.SetStrikeOut(strikeOut);
    t.SetSmooth(smooth);
    t.SetFontFace(face);
    t.SetSize(size);
    t.SetAppearance(appearance);
    t.SetText(text);
    // The wrap width belongs to the box, not to the page.
    CTextLayout layout = t.GetLayout();
    layout.align = align;
    layout.lineSpacing = lineSpacing;
    layout.letterSpacing = letterSpacing;
    t.SetLayout(layout);
}

// ---- page ------------------------------------------------------------------------------------

CTextPropertyPage::CTextPropertyPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TextPropertyPage"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    AddTextRow(grid);
    AddFontRows(grid);
    AddSpacingRow(grid);
    AddStyleRow(grid);
    AddColourRow(grid);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);

    // The second colour only matters for the border of "Bordered" text.
    connect(m_appearance, &QComboBox::currentIndexChanged, this, &CTextPropertyPage::UpdateEnabled);
    SetTabOrder();
    SetValues(CTextValues());
}

QLabel* CTextPropertyPage::BuddyLabel(const char* text, QWidget* buddy)
{
    auto* l = new QLabel(QString::fromLatin1(text), this);
    l->setBuddy(buddy);
    return l;
}

void CTextPropertyPage::AddTextRow(QGridLayout* grid)
{
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setTabChangesFocus(true);
    m_text->setMinimumWidth(320);
    m_text->setFixedHeight(m_text->fontMetrics().lineSpacing() * 4 + 12);
    // The field takes no more than the longest text; what goes beyond is cut.
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        if (m_text->toPlainText().size() <= kMaxTextLength)
            return;
        QTextCursor cursor = m_text->textCursor();
        cursor.setPosition(kMaxTextLength);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    });
    grid->addWidget(BuddyLabel("&Text", m_text), 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 3);
}

void CTextPropertyPage::AddFontRows(QGridLayout* grid)
{
    m_face = new QComboBox(this);
    m_face->setObjectName(QStringLiteral("face"));
    m_face->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_face->setMinimumContentsLength(18);
    m_face->setMaxVisibleItems(14);
    FillFaces();
    // The closed list shows the chosen face in itself, as the open list does.
    connect(m_face, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { ShowFaceInItself(); });
    grid->addWidget(BuddyLabel("&Face", m_face), 1, 0);
    grid->addWidget(m_face, 1, 1);

    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("size"));
    m_size->setEditable(true);
    // Enter in the field confirms the dialog; it does not add to the list.
    m_size->setInsertPolicy(QComboBox::NoInsert);
    m_size->setMinimumContentsLength(4);
    m_size->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (int s : kListedSizes)
        m_size->addItem(QString::number(s));
    grid->addWidget(BuddyLabel("Si&ze", m_size), 1, 2);
    grid->addWidget(m_size, 1, 3);

    m_appearance = new QComboBox(this);
    m_appearance->setObjectName(QStringLiteral("appearance"));
    for (const char* name : kTextAppearanceNames)
        m_appearance->addItem(QString::fromLatin1(name));
    grid->addWidget(BuddyLabel("&Appearance", m_appearance), 2, 0);
    grid->addWidget(m_appearance, 2, 1);

    m_align = new QComboBox(this);
    m_align->setObjectName(QStringLiteral("align"));
    for (const char* name : kAlignNames)
        m_align->addItem(QString::fromLatin1(name));
    grid->addWidget(BuddyLabel("Alig&nment", m_align), 2, 2);
    grid->addWidget(m_align, 2, 3);
}

void CTextPropertyPage::AddSpacingRow(QGridLayout* grid)
{
    auto spin = [this](const char* name, int low, int high) {
        auto* b = new QSpinBox(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setRange(low, high);
        b->setSuffix(QStringLiteral(" %"));
        return b;
    };
    m_lineSpacing = spin("lineSpacing", static_cast<int>(kMinLineSpacing), static_cast<int>(kMaxLineSpacing));
    m_lineSpacing->setToolTip(QStringLiteral("From one line to the next, in percent of the font size"));
    m_letterSpacing = spin("letterSpacing", kMinLetterSpacing, kMaxLetterSpacing);
    m_letterSpacing->setToolTip(QStringLiteral("Added between letters, in percent of the font size"));
    grid->addWidget(BuddyLabel("&Line spacing", m_lineSpacing), 5, 0);
    grid->addWidget(m_lineSpacing, 5, 1);
    grid->addWidget(BuddyLabel("L&etter spacing", m_letterSpacing), 5, 2);
    grid->addWidget(m_letterSpacing, 5, 3);
}

void CTextPropertyPage::AddStyleRow(QGridLayout* grid)
{
    auto* styles = new QHBoxLayout;
    auto check = [this, styles](const char* text, const char* name) {
        auto* c = new QCheckBox(QString::fromLatin1(text), this);
        c->setObjectName(QString::fromLatin1(name));
        styles->addWidget(c);
        return c;
    };
    m_bold = check("B&old", "bold");
    m_italic = check("&Italic", "italic");
    m_underline = check("&Underline", "underline");
    m_strikeOut = check("&Strike Out", "strikeOut");
    m_smooth = check("S&mooth", "smooth");
    m_smooth->setToolTip(QStringLiteral("Soft, anti-aliased letter edges"));
    styles->addStretch(1);
    grid->addLayout(styles, 3, 1, 1, 3);
}

// The colour buttons carry their own labels, so a disabled one greys its
// label too.
void CTextPropertyPage::AddColourRow(QGridLayout* grid)
{
    auto makeColour = [this](const char* text, const char* name) {
        auto* b = new CColorButton(QIcon(QStringLiteral(":/icons/colors.svg")), QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIconSize(QSize(24, 24));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        return b;
    };
    m_colour1 = makeColour("Color &1", "colour1");
    m_colour2 = makeColour("Color &2", "colour2");
    m_swap = new QPushButton(QStringLiteral("<- S&wap ->"), this);
    m_swap->setObjectName(QStringLiteral("swap"));
    connect(m_swap, &QPushButton::clicked, this, &CTextPropertyPage::Swap);
    auto* colours = new QHBoxLayout;
    colours->addWidget(m_colour1);
    colours->addWidget(m_swap);
    colours->addWidget(m_colour2);
    colours->addStretch(1);
    grid->addLayout(colours, 4, 1, 1, 3);
}

// Down the page as it reads, the spacing fields last.
void CTextPropertyPage::SetTabOrder()
{
    QWidget* const order[] = {m_text,      m_face,   m_size,      m_appearance, m_align,
                              m_bold,      m_italic, m_underline, m_strikeOut,  m_smooth,
                              m_colour1,   m_swap,   m_colour2,   m_lineSpacing, m_letterSpacing};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void CTextPropertyPage::FillFaces()
{
    const QIcon mark = TrueTypeMark();
    const QFont base = m_face->font();
    for (const std::string& name : CFontEngine::Get().ListTrueTypeFaces()) {
        const QString family = QString::fromStdString(name);
        m_face->addItem(mark, family);
        QFont f(family);
        f.setPointSizeF(base.pointSizeF());
        m_face->setItemData(m_face->count() - 1, f, Qt::FontRole);
    }
}

void CTextPropertyPage::SelectFace(const std::string& face)
{
    const QString name = QString::fromStdString(face.empty() ? std::string("Arial") : face);
    int index = m_face->findText(name, Qt::MatchFixedString);  // case-insensitive, as face names are
    if (index < 0) {
        // A face the document names but the list lacks ("Arial" resolved to
        // its metric-compatible face, or a font since removed) keeps its name.
        index = 0;
        while (index < m_face->count() && Less(m_face->itemText(index), name))
            ++index;
        m_face->insertItem(index, TrueTypeMark(), name);
        QFont f(name);
        f.setPointSizeF(m_face->font().pointSizeF());
        m_face->setItemData(index, f, Qt::FontRole);
    }
    m_face->setCurrentIndex(index);
    ShowFaceInItself();
}

void CTextPropertyPage::ShowFaceInItself()
{
    const QVariant font = m_face->itemData(m_face->currentIndex(), Qt::FontRole);
    if (font.canConvert<QFont>())
        m_face->setFont(font.value<QFont>());
}

void CTextPropertyPage::SetValues(const CTextValues& v)
{
    m_text->setPlainText(QString::fromStdString(v.text));
    SelectFace(v.face);
    const int listed = m_size->findText(QString::number(v.size));
    if (listed >= 0)
        m_size->setCurrentIndex(listed);
    else
        m_size->setEditText(QString::number(v.size));
    m_appearance->setCurrentIndex(v.appearance <= 4 ? static_cast<int>(v.appearance) : 0);
    m_align->setCurrentIndex(v.align <= kAlignJustified ? static_cast<int>(v.align) : 0);
    m_lineSpacing->setValue(static_cast<int>(v.lineSpacing));
    m_letterSpacing->setValue(v.letterSpacing);
    m_bold->setChecked(v.bold);
    m_italic->setChecked(v.italic);
    m_underline->setChecked(v.underline);
    m_strikeOut->setChecked(v.strikeOut);
    m_smooth->setChecked(v.smooth);
    m_colour1->SetColor(v.colour1);
    m_colour2->SetColor(v.colour2);
    m_refused = nullptr;
    UpdateEnabled();
}

CTextValues CTextPropertyPage::Values() const
{
    CTextValues v;
    v.colour1 = m_colour1->Color();
    v.colour2 = m_colour2->Color();
    v.bold = m_bold->isChecked();
    v.italic = m_italic->isChecked();
    v.underline = m_underline->isChecked();
    v.strikeOut = m_strikeOut->isChecked();
    v.smooth = m_smooth->isChecked();
    v.face = m_face->currentText().toStdString();
    if (v.face.empty())
        v.face = "Arial";
    bool ok = false;
    const int size = m_size->currentText().trimmed().toInt(&ok);
    v.size = ok && size >= 1 ? static_cast<std::uint32_t>(size) : 12;
    v.appearance = m_appearance->currentIndex() >= 0 ? static_cast<std::uint32_t>(m_appearance->currentIndex()) : 0;
    v.align = m_align->currentIndex() >= 0 ? static_cast<std::uint32_t>(m_align->currentIndex()) : 0;
    v.lineSpacing = static_cast<std::uint32_t>(m_lineSpacing->value());
    v.letterSpacing = m_letterSpacing->value();
    v.text = m_text->toPlainText().toStdString();
    return v;
}

bool CTextPropertyPage::Validate()
{
    m_refused = nullptr;
    if (const char* refused = RefuseBlankText(m_text->toPlainText().toStdString())) {
        ShowMessage(this, QString::fromUtf8(refused), EMessageIcon::Warning);
        m_refused = m_text;
        FocusField();
        return false;
    }
    const IntFieldResult r = ValidateIntField(m_size->currentText().toStdString(), kMinSize, kMaxSize, "Size");
    if (!r.ok) {
        ShowMessage(this, QString::fromStdString(r.message), EMessageIcon::Warning);
        m_refused = m_size;
        FocusField();
        return false;
    }
    return true;
}

void CTextPropertyPage::FocusField()
{
    if (m_refused == m_size) {
        m_size->setFocus(Qt::OtherFocusReason);
        if (QLineEdit* edit = m_size->lineEdit())
            edit->selectAll();
        return;
    }
    m_text->setFocus(Qt::OtherFocusReason);
    m_text->selectAll();
}

void CTextPropertyPage::UpdateEnabled()
{
    const bool bordered = m_appearance->currentIndex() == static_cast<int>(kTextBordered);
    m_swap->setEnabled(bordered);
    m_colour2->setEnabled(bordered);
}

void CTextPropertyPage::Swap()
{
    CColorButton::SwapColors(*m_colour1, *m_colour2);
}
