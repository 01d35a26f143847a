#include "ui/wizard/NewProjectWizard.h"

#include "app/AppFolders.h"
#include "app/VtwinDoc.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "image/PictureLoader.h"
#include "image/Raster.h"
#include "properties/Appearance.h"
#include "properties/PageChecks.h"
#include "properties/SettingTable.h"
#include "ui/widgets/ColorButton.h"
#include "ui/wizard/FitPictureDialog.h"
#include "ui/grid/GridEditors.h"
#include "ui/widgets/MessageBox.h"
#include "ui/dialogs/PictureLibraryDialog.h"
#include "ui/widgets/RasterImage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include <optional>

namespace {

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

// A refused field takes the focus with its text selected, ready to be retyped.
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

// A list of thumbnails of which one is chosen.
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

// ---- Size ------------------------------------------------------------------------------

class CSizePage final : public CWizardPage {
public:
    CSizePage(const QString& title, const ModelEntry& entry, const CProduct& product, QWidget* parent)
        : CWizardPage(title, parent), m_entry(entry), m_binder(product.HasBinding() != 0),
          m_hasCD(product.HasCDROM() != 0)
    {
        auto* form = new QFormLayout(this);
        const int values[3] = {entry.width, entry.height, entry.depth};
        const char* labels[3] = {"&Width", "&Height", "&Depth"};
        const char* names[3] = {"width", "height", "depth"};
        for (int i = 0; i < 3; ++i) {
            const DimensionField f = GetDimensionField(values[i]);
            m_fields[i] = new QLineEdit(QString::number(f.value), this);
            m_fields[i]->setObjectName(QString::fromLatin1(names[i]));
            m_fields[i]->setEnabled(f.enabled);
            auto* unit = new QLabel(QStringLiteral("mm"), this);
            auto* row = new QHBoxLayout;
            row->addWidget(m_fields[i]);
            row->addWidget(unit);
            // The label's mnemonic leads to the field, not to the row around it.
            auto* label = new QLabel(QString::fromLatin1(labels[i]), this);
            label->setBuddy(m_fields[i]);
            form->addRow(label, row);
            if (!f.visible) {
                m_fields[i]->hide();
                unit->hide();
                label->hide();
            }
        }
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        SizePageControls c;
        c.catalogueWidth = m_entry.width;
        c.catalogueHeight = m_entry.height;
        c.catalogueDepth = m_entry.depth;
        c.widthText = m_fields[0]->text().toStdString();
        c.heightText = m_fields[1]->text().toStdString();
        c.depthText = m_fields[2]->text().toStdString();
        c.binder = m_binder;
        c.hasCD = m_hasCD;
        SizePageValues stored;
        const PageLeave r = LeaveSizePage(c, [this](const std::string& q) { return AskYesNo(this, q); }, stored);
        if (Refused(this, r)) {
            if (r.focusField >= 0 && r.focusField < 3)
                FocusField(m_fields[r.focusField]);
            return false;
        }
        answers.size = stored;
        return true;
    }

private:
    ModelEntry m_entry;
    bool m_binder, m_hasCD;
    QLineEdit* m_fields[3] = {};
};

// ---- picture lists: sub-picture, CD-ROM image, CD position -----------------------------

class CListPage final : public CWizardPage {
public:
    using Store = std::function<void(NewProjectAnswers&, const QString& key)>;
    CListPage(const QString& title, const QString& prompt, Store store, QWidget* parent)
        : CWizardPage(title, parent), m_store(std::move(store))
    {
        auto* layout = new QVBoxLayout(this);
        auto* label = new QLabel(prompt, this);
        m_list = ThumbnailList(QStringLiteral("choices"), this);
        label->setBuddy(m_list);
        layout->addWidget(label);
        layout->addWidget(m_list, 1);
    }
    QListWidget* List() const { return m_list; }

    bool Leave(NewProjectAnswers& answers) override
    {
        const QString key = ChosenKey(m_list);
        if (Refused(this, LeaveListPage(!key.isEmpty()))) {
            m_list->setFocus();
            return false;
        }
        m_store(answers, key);
        return true;
    }

private:
    Store m_store;
    QListWidget* m_list = nullptr;
};

// ---- Side ------------------------------------------------------------------------------

// Style list of the side page and the appearance type of each entry.
constexpr struct {
    const char* name;
    int type;
} kSideStyles[] = {{"Texture", 3}, {"Pattern", 4}, {"Gradient", 2}, {"Color", 1}};

class CSidePage final : public CWizardPage {
public:
    CSidePage(const QString& title, char letter, const CAppFolders& folders, const ModelEntry& entry,
              const CProduct& product, QWidget* parent)
        : CWizardPage(title, parent), m_letter(letter), m_folders(folders),
          m_catalogueSize{std::abs(entry.width), std::abs(entry.height), std::abs(entry.depth)},
          m_productName(QString::fromLatin1(product.GetKindName()))
    {
        auto* layout = new QVBoxLayout(this);
        auto* form = new QGridLayout;
        m_style = new QComboBox(this);
        m_style->setObjectName(QStringLiteral("style"));
        for (const auto& s : kSideStyles)
            m_style->addItem(QString::fromLatin1(s.name), s.type);
        m_style->setCurrentIndex(3);  // a plain colour
        auto* styleLabel = new QLabel(QStringLiteral("&Style"), this);
        styleLabel->setBuddy(m_style);
        form->addWidget(styleLabel, 0, 0);
        form->addWidget(m_style, 0, 1);
        m_scale = new QComboBox(this);
        m_scale->setObjectName(QStringLiteral("scale"));
        auto* scaleLabel = new QLabel(QStringLiteral("S&cale"), this);
        scaleLabel->setBuddy(m_scale);
        form->addWidget(scaleLabel, 0, 2);
        form->addWidget(m_scale, 0, 3);
        // Patterns and gradients are chosen by their look, not by number.
        m_variant = new QComboBox(this);
        m_variant->setObjectName(QStringLiteral("variant"));
        m_variant->setIconSize(QSize(kVariantIcon, kVariantIcon));
        form->addWidget(m_variant, 0, 4);

        m_colour1 = ColourButton(QStringLiteral("Color &1"), 0xFFFFFF, QStringLiteral("color1"), this);
        m_colour2 = ColourButton(QStringLiteral("Color &2"), 0x000000, QStringLiteral("color2"), this);
        auto* swap = new QPushButton(QStringLiteral("<- S&wap ->"), this);
        swap->setObjectName(QStringLiteral("swap"));
        connect(swap, &QPushButton::clicked, this, [this] {
            CColorButton::SwapColors(*m_colour1, *m_colour2);
            FillVariants();
        });
        connect(m_colour1, &CColorButton::colorChosen, this, [this](std::uint32_t) { FillVariants(); });
        connect(m_colour2, &CColorButton::colorChosen, this, [this](std::uint32_t) { FillVariants(); });
        form->addWidget(m_colour1, 1, 0, 1, 2);
        form->addWidget(swap, 1, 2);
        form->addWidget(m_colour2, 1, 3, 1, 2);

        m_file = new QLineEdit(this);
        m_file->setObjectName(QStringLiteral("pictureFile"));
        auto* fileLabel = new QLabel(QStringLiteral("Picture &File name"), this);
        fileLabel->setBuddy(m_file);
        auto* library = new QPushButton(QStringLiteral("&Library..."), this);
        auto* browse = new QPushButton(QStringLiteral("B&rowse..."), this);
        connect(library, &QPushButton::clicked, this, [this] {
            CPictureLibraryDialog dialog(m_folders, this);
            if (dialog.exec() == QDialog::Accepted && !dialog.ChosenFile().isEmpty())
                m_file->setText(dialog.ChosenFile());
        });
        connect(browse, &QPushButton::clicked, this, [this] {
            const QString path = QFileDialog::getOpenFileName(
                this, QStringLiteral("Picture"), QString::fromStdString(m_folders.GetImagesFolder()),
                PictureFileFilter());
            if (!path.isEmpty())
                m_file->setText(path);
        });
        form->addWidget(fileLabel, 2, 0);
        form->addWidget(m_file, 2, 1, 1, 2);
        form->addWidget(library, 2, 3);
        form->addWidget(browse, 2, 4);
        layout->addLayout(form);

        m_textures = ThumbnailList(QStringLiteral("textures"), this);
        int cell = m_textures->gridSize().width();
        for (const std::string& file : ListFolderFiles(folders.GetInternalFolder(), "dtx_*.bmp")) {
            AddThumbnail(m_textures, Q(file), Q(file), Q(folders.GetInternalFolder() + file));
            // File names have no spaces to wrap at: the cells grow to show them whole.
            cell = std::max(cell, m_textures->fontMetrics().horizontalAdvance(Q(file)) + 12);
        }
        m_textures->setGridSize(QSize(cell, m_textures->gridSize().height()));
        layout->addWidget(m_textures, 1);

        connect(m_style, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int) { UpdateStyle(); });
        UpdateStyle();
    }

    void SetPictureFile(const QString& path) { m_file->setText(path); }

    bool Leave(NewProjectAnswers& answers) override
    {
        const QString file = m_file->text().trimmed();
        const bool texture = m_style->currentData().toInt() == kAppearanceTextureType;
        if (file.isEmpty() && Refused(this, LeaveSidePage(m_style->currentText().toStdString(),
                                                           !ChosenKey(m_textures).isEmpty()))) {
            m_textures->setFocus();
            return false;
        }
        SideAppearanceAnswer a;
        if (!file.isEmpty() && m_letter == 'G') {
            // The background picture is read only when the project is made:
            // an unreadable one is caught here, before the wizard closes.
            std::string message;
            if (!LoadPicture(PicturePath(file), message)) {
                ShowMessage(this, Q(message), EMessageIcon::Warning);
                FocusField(m_file);
                return false;
            }
        }
        if (!file.isEmpty() && m_letter != 'G') {
            // The background's picture sets the rendering size, so only the
            // faces ask how a picture of other proportions is fitted.
            const std::optional<int> fit = AskFit(file, answers);
            if (!fit)
                return false;
            m_fit = *fit;
            a.fit = std::max(0, *fit);
        }
        a.color1 = m_colour1->Color();
        a.color2 = m_colour2->Color();
        if (!file.isEmpty()) {
            // A picture chosen by name wins over the style.
            a.type = 0;
            a.pictureFile = file.toStdString();
        } else {
            a.type = m_style->currentData().toInt();
            if (texture) {
                a.textureFile = ChosenKey(m_textures).toStdString();
                a.textureScale = m_scale->currentData().toInt();
            } else if (a.type == 4) {
                a.pattern = m_variant->currentData().toInt();
                a.patternCell = m_scale->currentData().toInt();
            } else if (a.type == 2) {
                a.gradientStyle = m_variant->currentData().toInt();
            }
        }
        if (m_letter == 'G')
            answers.background = a;
        else
            answers.sides[m_letter] = a;
        return true;
    }

private:
    static constexpr int kAppearanceTextureType = 3;

    // Asks how the chosen picture is fitted to the face at the size the
    // answers give it: -1 when it fits, no value when the user cancelled or
    // the picture cannot be read.
    std::optional<int> AskFit(const QString& file, const NewProjectAnswers& answers)
    {
        std::string message;
        const std::unique_ptr<CRaster> picture = LoadPicture(PicturePath(file), message);
        if (!picture) {
            ShowMessage(this, Q(message), EMessageIcon::Warning);
            m_file->setFocus();
            return std::nullopt;
        }
        const SizePageValues size = answers.size ? *answers.size : m_catalogueSize;
        const int p = GetFacePixelsPerMm(size.width, size.height, size.depth, answers.renderWidth,
                                         answers.renderHeight);
        int w = 0, h = 0;
        GetFacePixelSize(m_letter, size.width, size.height, size.depth, p, w, h);
        return AskFitPicture(this, *picture, w, h, QString::fromLatin1(GetSideName(std::string(1, m_letter))),
                             m_productName, m_fit);
    }

    // A picture named without a folder is one of the internal folder's.
    std::string PicturePath(const QString& file) const
    {
        return file.startsWith(QLatin1Char('/')) ? file.toStdString() : m_folders.GetInternalFolder() + file.toStdString();
    }

    void UpdateStyle()
    {
        const int type = m_style->currentData().toInt();
        m_scale->clear();
        const ChoiceList list = type == 3 ? ChoiceList::ScaleDivisor : ChoiceList::Multiplier;
        for (const SettingValueName& v : GetValueNames(list))
            m_scale->addItem(QString::fromLatin1(v.name), v.value);
        m_scale->setEnabled(type == 3 || type == 4);
        m_variant->setVisible(type == 2 || type == 4);
        m_variant->setToolTip(type == 4 ? QStringLiteral("Pattern") : QStringLiteral("Gradient"));
        FillVariants();
        m_colour2->setEnabled(type == 2 || type == 4);
        m_textures->setEnabled(type == 3);
    }

    // The pattern or gradient list, each entry drawn in the two colours; the
    // entry chosen so far stays chosen.
    void FillVariants()
    {
        const int type = m_style->currentData().toInt();
        if (type != 2 && type != 4)
            return;
        const bool samelist = m_variantType == type;
        const int chosen = samelist ? m_variant->currentIndex() : 0;
        m_variantType = type;
        m_variant->clear();
        const COLORREF c1 = m_colour1->Color(), c2 = m_colour2->Color();
        CRaster sample;
        if (!sample.Create(kVariantIcon, kVariantIcon, 24))
            return;
        if (type == 4) {
            // The program's pattern bitmaps: 131 and 144 .. 193.
            for (int number = 131; number <= 193; ++number) {
                if (!PaintPattern(sample, number, 2, c1, c2))
                    continue;
                m_variant->addItem(QIcon(QPixmap::fromImage(RasterToQImage(sample))), QString::number(number), number);
            }
        } else {
            // Styles 16 .. 31 are 0 .. 15 with the colours exchanged.
            for (int style = 0; style < 32; ++style) {
                PaintGradient(sample, style, c1, c2);
                m_variant->addItem(QIcon(QPixmap::fromImage(RasterToQImage(sample))), QString::number(style + 1),
                                   style);
            }
        }
        m_variant->setCurrentIndex(std::clamp(chosen, 0, m_variant->count() - 1));
    }

    static constexpr int kVariantIcon = 24;  // pixels
    int m_variantType = -1;

    char m_letter;
    const CAppFolders& m_folders;
    SizePageValues m_catalogueSize;  // millimetres, when the size page is not shown
    QString m_productName;
    int m_fit = 0;                   // the last fitting answer, offered again
    QComboBox* m_style = nullptr;
    QComboBox* m_scale = nullptr;
    QComboBox* m_variant = nullptr;
    CColorButton* m_colour1 = nullptr;
    CColorButton* m_colour2 = nullptr;
    QLineEdit* m_file = nullptr;
    QListWidget* m_textures = nullptr;
};

// ---- Pages -----------------------------------------------------------------------------

class CPagesPage final : public CWizardPage {
public:
    CPagesPage(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        const PagesPageValues d;
        auto* layout = new QVBoxLayout(this);
        auto* paper = new QGroupBox(QStringLiteral("Paper Color"), this);
        auto* paperLayout = new QHBoxLayout(paper);
        m_paper = ColourButton(QStringLiteral("&Color"), d.paperColor, QStringLiteral("paperColor"), paper);
        paperLayout->addWidget(m_paper);
        layout->addWidget(paper);
        m_edges = new QCheckBox(QStringLiteral("P&age Edges"), this);
        m_edges->setObjectName(QStringLiteral("pageEdges"));
        layout->addWidget(m_edges);
        auto* edge = new QGroupBox(QStringLiteral("Page Edge Color"), this);
        auto* edgeLayout = new QHBoxLayout(edge);
        m_edge = ColourButton(QStringLiteral("C&olor"), d.edgeColor, QStringLiteral("edgeColor"), edge);
        edgeLayout->addWidget(m_edge);
        layout->addWidget(edge);
        auto* depth = new QGroupBox(QStringLiteral("Size as a Percentage of Depth"), this);
        auto* form = new QFormLayout(depth);
        const char* labels[3] = {"&Front Cover", "&Pages", "Back Cover"};
        const int values[3] = {d.frontCover, d.pages, d.backCover};
        for (int i = 0; i < 3; ++i) {
            m_fields[i] = new QLineEdit(QString::number(values[i]), depth);
            m_fields[i]->setObjectName(QStringLiteral("depth%1").arg(i));
            form->addRow(QString::fromLatin1(labels[i]), m_fields[i]);
            connect(m_fields[i], &QLineEdit::textChanged, this, [this] {
                UpdateTotal();
                emit canGoOnChanged();
            });
        }
        m_total = new QLabel(depth);
        m_total->setObjectName(QStringLiteral("total"));
        form->addRow(QStringLiteral("TOTAL"), m_total);
        layout->addWidget(depth);
        layout->addStretch(1);
        connect(m_edges, &QCheckBox::toggled, m_edge, &QWidget::setEnabled);
        m_edge->setEnabled(false);
        UpdateTotal();
    }

    bool CanGoOn() const override { return m_canGoOn; }

    bool Leave(NewProjectAnswers& answers) override
    {
        if (!m_canGoOn)
            return false;
        PagesPageValues v;
        v.paperColor = m_paper->Color();
        v.pageEdges = m_edges->isChecked();
        v.edgeColor = m_edge->Color();
        v.frontCover = m_fields[0]->text().trimmed().toInt();
        v.pages = m_fields[1]->text().trimmed().toInt();
        v.backCover = m_fields[2]->text().trimmed().toInt();
        answers.pages = v;
        return true;
    }

private:
    void UpdateTotal()
    {
        const PagesTotal t = GetPagesTotal(m_fields[0]->text().toStdString(), m_fields[1]->text().toStdString(),
                                           m_fields[2]->text().toStdString());
        m_total->setText(Q(t.text));
        m_canGoOn = t.canGoOn;
    }

    CColorButton* m_paper = nullptr;
    CColorButton* m_edge = nullptr;
    QCheckBox* m_edges = nullptr;
    QLineEdit* m_fields[3] = {};
    QLabel* m_total = nullptr;
    bool m_canGoOn = true;
};

// ---- Binder ----------------------------------------------------------------------------

class CBinderPage final : public CWizardPage {
public:
    CBinderPage(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        auto* form = new QFormLayout(this);
        m_type = ChoiceCombo(ChoiceList::BinderType, 0, QStringLiteral("binderType"), this);
        form->addRow(QStringLiteral("Binder &Type"), m_type);
        m_colour = ColourButton(QStringLiteral("&Color"), 0x000000, QStringLiteral("binderColor"), this);
        form->addRow(QString(), m_colour);
        m_example = new QLabel(this);
        m_example->setObjectName(QStringLiteral("example"));
        m_example->setMinimumHeight(60);
        form->addRow(QStringLiteral("Example"), m_example);
        connect(m_type, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int) { UpdateExample(); });
        connect(m_colour, &CColorButton::colorChosen, this, [this](std::uint32_t) { UpdateExample(); });
        UpdateExample();
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        answers.binderType = ComboValue(m_type);
        answers.binderColor = m_colour->Color();
        return true;
    }

private:
    // A sketch of the binding: rings (spiral) or a bar with teeth (comb).
    void UpdateExample()
    {
        const int type = ComboValue(m_type);
        m_colour->setEnabled(type != 0);
        QPixmap pm(160, 60);
        pm.fill(Qt::white);
        QPainter p(&pm);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(20, 10, 120, 40);
        const std::uint32_t c = m_colour->Color();
        const QColor colour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        p.setPen(QPen(colour, 2));
        for (int x = 28; x < 136 && type != 0; x += 10) {
            if (type == 1)
                p.drawEllipse(QPoint(x, 10), 3, 6);
            else
                p.drawLine(x, 4, x, 14);
        }
        if (type == 2)
            p.drawLine(24, 4, 134, 4);
        p.end();
        m_example->setPixmap(pm);
    }

    QComboBox* m_type = nullptr;
    CColorButton* m_colour = nullptr;
    QLabel* m_example = nullptr;
};

// ---- Back Render -----------------------------------------------------------------------

class CBackRenderPage final : public CWizardPage {
public:
    CBackRenderPage(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        auto* layout = new QVBoxLayout(this);
        auto* box = new QGroupBox(QStringLiteral("Final Image Size"), this);
        auto* form = new QFormLayout(box);
        m_width = new QLineEdit(QStringLiteral("400"), box);
        m_width->setObjectName(QStringLiteral("renderWidth"));
        m_height = new QLineEdit(QStringLiteral("400"), box);
        m_height->setObjectName(QStringLiteral("renderHeight"));
        for (const auto& [text, field] : {std::pair{"&Width", m_width}, std::pair{"&Height", m_height}}) {
            auto* row = new QHBoxLayout;
            row->addWidget(field);
            row->addWidget(new QLabel(QStringLiteral("pixels"), box));
            auto* label = new QLabel(QString::fromLatin1(text), box);
            label->setBuddy(field);
            form->addRow(label, row);
        }
        layout->addWidget(box);
        m_note = new QLabel(QString::fromLatin1(kBackRenderFixedNote), this);
        m_note->setWordWrap(true);
        m_note->hide();
        layout->addWidget(m_note);
        layout->addStretch(1);
    }

    void Enter(const NewProjectAnswers& answers) override
    {
        m_fixed = false;
        if (answers.background.type == 0 && !answers.background.pictureFile.empty()) {
            std::string message;
            if (std::unique_ptr<CRaster> picture = LoadPicture(answers.background.pictureFile, message)) {
                m_fixed = true;
                m_pw = picture->GetWidth();
                m_ph = picture->GetHeight();
                m_width->setText(QString::number(m_pw));
                m_height->setText(QString::number(m_ph));
            }
        }
        m_width->setEnabled(!m_fixed);
        m_height->setEnabled(!m_fixed);
        m_note->setVisible(m_fixed);
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        BackRenderControls c;
        c.widthText = m_width->text().toStdString();
        c.heightText = m_height->text().toStdString();
        c.fixedByPicture = m_fixed;
        c.pictureWidth = m_pw;
        c.pictureHeight = m_ph;
        BackRenderValues v;
        const PageLeave r = LeaveBackRenderPage(c, v);
        if (Refused(this, r)) {
            FocusField(r.focusField == 1 ? m_height : m_width);
            return false;
        }
        answers.renderWidth = v.width;
        answers.renderHeight = v.height;
        return true;
    }

private:
    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
    QLabel* m_note = nullptr;
    bool m_fixed = false;
    int m_pw = 0, m_ph = 0;
};

// ---- Effects: shadows, lights, table, reflection ----------------------------------------

class CEffectsPage final : public CWizardPage {
public:
    CEffectsPage(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        const EffectsPageValues d;
        auto* layout = new QHBoxLayout(this);
        auto* left = new QVBoxLayout;
        m_shadows = new QCheckBox(QStringLiteral("&Shadows"), this);
        m_shadows->setObjectName(QStringLiteral("shadows"));
        m_shadows->setChecked(d.shadows);
        left->addWidget(m_shadows);
        auto* grid = new QGridLayout;
        grid->setSpacing(2);
        for (int c = 0; c < 5; ++c)
            for (int r = 0; r < 5; ++r) {
                auto* b = new QPushButton(this);
                b->setCheckable(true);
            b->setStyleSheet(QStringLiteral("QPushButton:checked { background: #ffd23c; border: 1px solid #7a5c00; }"));
                b->setFixedSize(22, 22);
                b->setObjectName(QStringLiteral("light_%1_%2").arg(c).arg(r));
                b->setChecked(IsLightOn(d.lights, c, r));
                grid->addWidget(b, 4 - r, c);
                m_lights[c][r] = b;
            }
        left->addLayout(grid);
        auto* form = new QFormLayout;
        m_colour = ColourButton(QStringLiteral("&Color"), d.shadowColor, QStringLiteral("shadowColor"), this);
        form->addRow(QString(), m_colour);
        m_style = ChoiceCombo(ChoiceList::ShadowStyle, d.shadowStyle, QStringLiteral("shadowStyle"), this);
        form->addRow(QStringLiteral("S&hadow Style"), m_style);
        m_table = ChoiceCombo(ChoiceList::TablePosition, d.tablePosition, QStringLiteral("tablePosition"), this);
        form->addRow(QStringLiteral("&Table Position"), m_table);
        left->addLayout(form);
        layout->addLayout(left);

        auto* right = new QVBoxLayout;
        m_reflection = new QCheckBox(QStringLiteral("&Reflection"), this);
        m_reflection->setObjectName(QStringLiteral("reflection"));
        right->addWidget(m_reflection);
        auto* fades = new QFormLayout;
        m_top = new QSlider(Qt::Horizontal, this);
        m_top->setObjectName(QStringLiteral("topFade"));
        m_top->setRange(1, 255);
        m_top->setValue(d.topFade);
        m_bottom = new QSlider(Qt::Horizontal, this);
        m_bottom->setObjectName(QStringLiteral("bottomFade"));
        m_bottom->setRange(1, 255);
        m_bottom->setValue(d.bottomFade);
        fades->addRow(QStringLiteral("Top Fade"), m_top);
        fades->addRow(QStringLiteral("Bottom Fade"), m_bottom);
        right->addLayout(fades);
        m_ripple = new QCheckBox(QStringLiteral("R&ipple"), this);
        m_ripple->setChecked(d.ripple);
        right->addWidget(m_ripple);
        right->addStretch(1);
        layout->addLayout(right);
        connect(m_shadows, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
        connect(m_reflection, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
        UpdateEnabling();
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        EffectsPageValues c;
        c.shadows = m_shadows->isChecked();
        c.lights = 0;
        for (int col = 0; col < 5; ++col)
            for (int r = 0; r < 5; ++r)
                if (m_lights[col][r]->isChecked())
                    c.lights |= LightBit(col, r);
        c.shadowColor = m_colour->Color();
        c.shadowStyle = ComboValue(m_style);
        c.tablePosition = ComboValue(m_table);
        c.reflection = m_reflection->isChecked();
        c.topFade = m_top->value();
        c.bottomFade = m_bottom->value();
        c.ripple = m_ripple->isChecked();
        EffectsPageValues stored;
        if (Refused(this, LeaveEffectsPage(c, stored)))
            return false;
        answers.effects = stored;
        return true;
    }

private:
    void UpdateEnabling()
    {
        const EffectsPageEnabling e = GetEffectsPageEnabling(m_shadows->isChecked(), m_reflection->isChecked());
        for (auto& column : m_lights)
            for (QPushButton* b : column)
                b->setEnabled(e.shadowControls);
        m_colour->setEnabled(e.shadowControls);
        m_style->setEnabled(e.shadowControls);
        m_table->setEnabled(e.shadowControls);
        m_top->setEnabled(e.reflectionControls);
        m_bottom->setEnabled(e.reflectionControls);
        m_ripple->setEnabled(e.reflectionControls);
    }

    QCheckBox* m_shadows = nullptr;
    QPushButton* m_lights[5][5] = {};
    CColorButton* m_colour = nullptr;
    QComboBox* m_style = nullptr;
    QComboBox* m_table = nullptr;
    QCheckBox* m_reflection = nullptr;
    QSlider* m_top = nullptr;
    QSlider* m_bottom = nullptr;
    QCheckBox* m_ripple = nullptr;
};

// ---- Effects 2: bevel, borders, colour effect, lens flare -------------------------------

class CEffects2Page final : public CWizardPage {
public:
    CEffects2Page(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        const Effects2PageControls d;
        auto* grid = new QGridLayout(this);
        auto check = [this](const QString& text, const QString& name) {
            auto* c = new QCheckBox(text, this);
            c->setObjectName(name);
            return c;
        };
        m_bevel = check(QStringLiteral("B&evel"), QStringLiteral("bevel"));
        m_bevelStyle = ChoiceCombo(ChoiceList::BevelStyle, d.bevelStyle, QStringLiteral("bevelStyle"), this);
        m_bevelSize = new QLineEdit(Q(d.bevelSizeText), this);
        m_bevelSize->setObjectName(QStringLiteral("bevelSize"));
        m_bevelColour = ColourButton(QStringLiteral("Color"), d.bevelColor, QStringLiteral("bevelColor"), this);
        grid->addWidget(m_bevel, 0, 0);
        grid->addWidget(m_bevelStyle, 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("Bevel Size"), this), 0, 2);
        grid->addWidget(m_bevelSize, 0, 3);
        grid->addWidget(new QLabel(QStringLiteral("pixels"), this), 0, 4);
        grid->addWidget(m_bevelColour, 0, 5);

        m_borders = check(QStringLiteral("B&orders"), QStringLiteral("borders"));
        m_borderSize = new QLineEdit(Q(d.borderSizeText), this);
        m_borderSize->setObjectName(QStringLiteral("borderSize"));
        m_borderColour = ColourButton(QStringLiteral("Color"), d.borderColor, QStringLiteral("borderColor"), this);
        grid->addWidget(m_borders, 1, 0);
        grid->addWidget(new QLabel(QStringLiteral("Border Size"), this), 1, 2);
        grid->addWidget(m_borderSize, 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("pixels"), this), 1, 4);
        grid->addWidget(m_borderColour, 1, 5);

        m_effect = check(QStringLiteral("&Color Effect"), QStringLiteral("colorEffect"));
        m_effectStyle =
            ChoiceCombo(ChoiceList::ColorEffectStyle, d.colorEffectStyle, QStringLiteral("colorEffectStyle"), this);
        m_effectColour =
            ColourButton(QStringLiteral("Color"), d.colorEffectColor, QStringLiteral("colorEffectColor"), this);
        grid->addWidget(m_effect, 2, 0);
        grid->addWidget(m_effectStyle, 2, 1);
        grid->addWidget(m_effectColour, 2, 5);

        m_flare = check(QStringLiteral("&Lens Flare"), QStringLiteral("lensFlare"));
        m_intensity = new QSlider(Qt::Horizontal, this);
        m_intensity->setObjectName(QStringLiteral("intensity"));
        m_intensity->setRange(50, 200);
        m_intensity->setValue(d.lensFlareIntensity);
        m_flareColour = ColourButton(QStringLiteral("Color"), d.lensFlareColor, QStringLiteral("lensFlareColor"), this);
        m_blending = ChoiceCombo(ChoiceList::LensFlareBlending, d.lensFlareBlending, QStringLiteral("blending"), this);
        grid->addWidget(m_flare, 3, 0);
        grid->addWidget(new QLabel(QStringLiteral("Intensity"), this), 3, 1);
        grid->addWidget(m_intensity, 3, 2, 1, 2);
        grid->addWidget(new QLabel(QStringLiteral("Blending"), this), 4, 1);
        grid->addWidget(m_blending, 4, 2, 1, 2);
        grid->addWidget(m_flareColour, 3, 5);
        grid->setRowStretch(5, 1);

        for (QCheckBox* c : {m_bevel, m_borders, m_effect, m_flare})
            connect(c, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
        connect(m_effectStyle, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int) { UpdateEnabling(); });
        UpdateEnabling();
    }

    void Enter(const NewProjectAnswers& answers) override
    {
        m_renderWidth = answers.renderWidth;
        m_renderHeight = answers.renderHeight;
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        Effects2PageControls c;
        c.bevel = m_bevel->isChecked();
        c.bevelStyle = ComboValue(m_bevelStyle);
        c.bevelSizeText = m_bevelSize->text().toStdString();
        c.bevelColor = m_bevelColour->Color();
        c.borders = m_borders->isChecked();
        c.borderSizeText = m_borderSize->text().toStdString();
        c.borderColor = m_borderColour->Color();
        c.colorEffect = m_effect->isChecked();
        c.colorEffectStyle = ComboValue(m_effectStyle);
        c.colorEffectColor = m_effectColour->Color();
        c.lensFlare = m_flare->isChecked();
        c.lensFlareIntensity = m_intensity->value();
        c.lensFlareColor = m_flareColour->Color();
        c.lensFlareBlending = ComboValue(m_blending);
        Effects2PageValues stored;
        const PageLeave r = LeaveEffects2Page(c, m_renderWidth, m_renderHeight,
                                              [this](const std::string& q) { return AskYesNo(this, q); }, stored);
        if (Refused(this, r)) {
            if (r.focusField == kEffects2FieldBevelSize)
                FocusField(m_bevelSize);
            else if (r.focusField == kEffects2FieldBorderSize)
                FocusField(m_borderSize);
            return false;
        }
        answers.effects2 = stored;
        return true;
    }

private:
    void UpdateEnabling()
    {
        const Effects2PageEnabling e =
            GetEffects2PageEnabling(m_bevel->isChecked(), m_effect->isChecked(), ComboValue(m_effectStyle));
        m_bevelStyle->setEnabled(e.bevelControls);
        m_bevelSize->setEnabled(e.bevelControls);
        m_bevelColour->setEnabled(e.bevelControls);
        m_borderSize->setEnabled(m_borders->isChecked());
        m_borderColour->setEnabled(m_borders->isChecked());
        m_effectStyle->setEnabled(m_effect->isChecked());
        m_effectColour->setEnabled(e.colorEffectColor);
        m_intensity->setEnabled(m_flare->isChecked());
        m_flareColour->setEnabled(m_flare->isChecked());
        m_blending->setEnabled(m_flare->isChecked());
    }

    int m_renderWidth = 400, m_renderHeight = 400;
    QCheckBox* m_bevel = nullptr;
    QComboBox* m_bevelStyle = nullptr;
    QLineEdit* m_bevelSize = nullptr;
    CColorButton* m_bevelColour = nullptr;
    QCheckBox* m_borders = nullptr;
    QLineEdit* m_borderSize = nullptr;
    CColorButton* m_borderColour = nullptr;
    QCheckBox* m_effect = nullptr;
    QComboBox* m_effectStyle = nullptr;
    CColorButton* m_effectColour = nullptr;
    QCheckBox* m_flare = nullptr;
    QSlider* m_intensity = nullptr;
    CColorButton* m_flareColour = nullptr;
    QComboBox* m_blending = nullptr;
};

CNewDialog::WizardRunner& Runner()
{
    static CNewDialog::WizardRunner runner;
    return runner;
}

} // namespace

// ---- the wizard --------------------------------------------------------------------------

CNewProjectWizard::CNewProjectWizard(const CAppFolders& folders, const ModelEntry& entry, const CProduct& product,
                                     QWidget* parent)
    : QDialog(parent), m_folders(folders)
{
    setObjectName(QStringLiteral("newProjectWizard"));
    setWindowTitle(Q(GetWizardTitleName(entry.name) + " settings"));
    auto* layout = new QVBoxLayout(this);
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("caption"));
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    layout->addWidget(m_caption);
    m_stack = new QStackedWidget(this);
    layout->addWidget(m_stack, 1);

    const std::string internal = folders.GetInternalFolder();
    for (const std::string& title : GetWizardPages(product, entry)) {
        const QString t = Q(title);
        CWizardPage* page = nullptr;
        if (title.size() > 11 && title.ends_with(" Dimensions") && m_pages.empty()) {
            page = new CSizePage(t, entry, product, m_stack);
        } else if (entry.HasSubPicture() && title == entry.subTitle) {
            auto* list = new CListPage(t, Q(entry.subPrompt),
                                       [](NewProjectAnswers& a, const QString& k) { a.subPicture = k.toStdString(); },
                                       m_stack);
            for (const PictureChoice& c : ListSubPictureChoices(internal, entry.subPattern, folders.ProgramSettings()))
                AddThumbnail(list->List(), Q(c.name.empty() ? c.file : c.name), Q(c.file), Q(internal + c.file));
            page = list;
        } else if (title == "Pages' Appearance") {
            page = new CPagesPage(t, m_stack);
        } else if (title == "Binding Style") {
            page = new CBinderPage(t, m_stack);
        } else if (title == "Select CD-ROM Image") {
            auto* list = new CListPage(t, QStringLiteral("Please choose a &CD-ROM Image"),
                                       [](NewProjectAnswers& a, const QString& k) { a.cdImage = k.toStdString(); },
                                       m_stack);
            for (const PictureChoice& c : ListCDImageChoices(internal, folders.ProgramSettings()))
                AddThumbnail(list->List(), Q(c.name.empty() ? c.section : c.name), Q(c.section), Q(internal + c.file));
            page = list;
        } else if (title == "Select CD-ROM Position") {
            auto* list = new CListPage(t, QStringLiteral("Please choose &CD-ROM position"),
                                       [](NewProjectAnswers& a, const QString& k) { a.cdPosition = k.toInt(); },
                                       m_stack);
            for (const CDPositionChoice& c : GetCDPositionChoices(product))
                AddThumbnail(list->List(), QString::fromLatin1(c.name), QString::number(c.value), Q(internal + c.file));
            page = list;
        } else if (title == "Background Size") {
            page = new CBackRenderPage(t, m_stack);
        } else if (title == "Shadows and Reflections") {
            page = new CEffectsPage(t, m_stack);
        } else if (title == "Special Effects") {
            page = new CEffects2Page(t, m_stack);
        } else if (title.ends_with("'s Appearance")) {
            static const struct {
                const char* title;
                char letter;
            } sides[] = {{"Front's Appearance", 'F'},  {"Left's Appearance", 'L'},  {"Right's Appearance", 'R'},
                         {"Top's Appearance", 'U'},    {"Bottom's Appearance", 'D'}, {"Spine's Appearance", 'S'},
                         {"Background's Appearance", 'G'}};
            for (const auto& s : sides)
                if (title == s.title)
                    page = new CSidePage(t, s.letter, folders, entry, product, m_stack);
        }
        if (!page)
            continue;
        page->setObjectName(t);
        connect(page, &CWizardPage::canGoOnChanged, this, &CNewProjectWizard::UpdateButtons);
        m_pages.push_back(page);
        m_stack->addWidget(page);
    }

    m_buttons.Create(this, layout);
    connect(m_buttons.back, &QPushButton::clicked, this, &CNewProjectWizard::Back);
    connect(m_buttons.next, &QPushButton::clicked, this, &CNewProjectWizard::Next);
    connect(m_buttons.finish, &QPushButton::clicked, this, &CNewProjectWizard::Finish);
    resize(600, 460);
    if (!m_pages.empty())
        Show(0);
}

QString CNewProjectWizard::Caption() const
{
    if (m_pages.empty())
        return {};
    return Q(GetWizardStepCaption(m_index + 1, PageCount(), CurrentPage()->Title().toStdString()));
}

void CNewProjectWizard::Show(int index)
{
    m_index = index;
    CurrentPage()->Enter(m_answers);
    m_stack->setCurrentWidget(CurrentPage());
    m_caption->setText(Caption());
    UpdateButtons();
}

void CNewProjectWizard::UpdateButtons()
{
    m_buttons.Update(m_index, PageCount(), !m_pages.empty() && CurrentPage()->CanGoOn());
}

bool CNewProjectWizard::Next()
{
    if (m_pages.empty() || m_index + 1 >= PageCount() || !CurrentPage()->CanGoOn())
        return false;
    if (!CurrentPage()->Leave(m_answers))
        return false;
    Show(m_index + 1);
    return true;
}

void CNewProjectWizard::Back()
{
    if (m_index > 0)
        Show(m_index - 1);
}

bool CNewProjectWizard::Finish()
{
    if (m_pages.empty() || !CurrentPage()->CanGoOn() || !CurrentPage()->Leave(m_answers))
        return false;
    accept();
    return true;
}

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
        AddThumbnail(m_list, Q(GetListName(alias)) + QLatin1Char('\n') + Q(file), Q(file), Q(internal + file));
    }
    // Cells wide enough for the file names and tall enough for a name
    // wrapped onto two lines above them, so no text is cut off.
    const QFontMetrics metrics = m_list->fontMetrics();
    int width = kModelCellWidth;
    for (int i = 0; i < m_list->count(); ++i)
        width = std::max(width, metrics.horizontalAdvance(m_list->item(i)->data(Qt::UserRole).toString()) + 16);
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
    QDialog::accept();
}
