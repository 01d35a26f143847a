#include "ui/wizard/SidePage.h"

#include "ground/AppFolders.h"
#include "catalogue/product/Product.h"
#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"
#include "properties/Appearance.h"
#include "properties/PageChecks.h"
#include "properties/settings/SettingTable.h"
#include "ui/dialogs/PictureLibraryDialog.h"
#include "ui/widgets/ColorButton.h"
#include "ui/widgets/ArtworkPage.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/RasterImage.h"
#include "ui/wizard/FitPictureDialog.h"
#include "ui/wizard/WizardControls.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>


using namespace WizardControls;

namespace {

// Style list of the side page and the appearance type of each entry.
constexpr struct {
    const char* name;
    int type;
} kSideStyles[] = {{"Texture", kAppearanceTexture},
                   {"Pattern", kAppearancePattern},
                   {"Gradient", kAppearanceGradient},
                   {"Color", kAppearanceColor}};

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

    // A made project's face: its present look, and its size for the fit question.
    void ShowPresent(const SideAppearanceAnswer& a, QSize faceSize)
    {
        m_faceSize = faceSize;
        if (const int style = m_style->findData(a.type); style >= 0)
            m_style->setCurrentIndex(style);  // a picture face starts from a plain colour
        m_colour1->SetColor(a.color1);
        m_colour2->SetColor(a.color2);
        FillVariants();
        const int variant = a.type == kAppearancePattern ? a.pattern : a.gradientStyle;
        m_variant->setCurrentIndex(std::max(0, m_variant->findData(variant)));
        const int scale = a.type == kAppearanceTexture ? a.textureScale : a.patternCell;
        m_scale->setCurrentIndex(std::max(0, m_scale->findData(scale)));
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        const QString file = m_file->text().trimmed();
        const bool texture = m_style->currentData().toInt() == kAppearanceTexture;
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
            // A face drawn from a PDF of several pages takes the page the user names.
            const std::optional<int> page = AskArtworkPage(this, QString::fromStdString(PicturePath(file)));
            if (!page)
                return false;
            a.picturePage = *page;
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
            a.type = kAppearancePicture;
            a.pictureFile = file.toStdString();
        } else {
            a.type = m_style->currentData().toInt();
            if (texture) {
                a.textureFile = ChosenKey(m_textures).toStdString();
                a.textureScale = m_scale->currentData().toInt();
            } else if (a.type == kAppearancePattern) {
                a.pattern = m_variant->currentData().toInt();
                a.patternCell = m_scale->currentData().toInt();
            } else if (a.type == kAppearanceGradient) {
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
        int w = m_faceSize.width(), h = m_faceSize.height();
        if (m_faceSize.isEmpty()) {
            const SizePageValues size = answers.size ? *answers.size : m_catalogueSize;
            const int p = GetFacePixelsPerMm(size.width, size.height, size.depth, answers.renderWidth,
                                             answers.renderHeight);
            GetFacePixelSize(m_letter, size.width, size.height, size.depth, p, w, h);
        }
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
        const bool texture = type == kAppearanceTexture, pattern = type == kAppearancePattern;
        const bool twoColours = type == kAppearanceGradient || pattern;
        m_scale->clear();
        const ChoiceList list = texture ? ChoiceList::ScaleDivisor : ChoiceList::Multiplier;
        for (const SettingValueName& v : GetValueNames(list))
            m_scale->addItem(QString::fromLatin1(v.name), v.value);
        m_scale->setEnabled(texture || pattern);
        m_variant->setVisible(twoColours);
        m_variant->setToolTip(pattern ? QStringLiteral("Pattern") : QStringLiteral("Gradient"));
        FillVariants();
        m_colour2->setEnabled(twoColours);
        m_textures->setEnabled(texture);
    }

    // The pattern or gradient list, each entry drawn in the two colours; the
    // entry chosen so far stays chosen.
    void FillVariants()
    {
        const int type = m_style->currentData().toInt();
        if (type != kAppearanceGradient && type != kAppearancePattern)
            return;
        const bool samelist = m_variantType == type;
        const int chosen = samelist ? m_variant->currentIndex() : 0;
        m_variantType = type;
        m_variant->clear();
        const COLORREF c1 = m_colour1->Color(), c2 = m_colour2->Color();
        CRaster sample;
        if (!sample.Create(kVariantIcon, kVariantIcon, 24))
            return;
        if (type == kAppearancePattern) {
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
    QSize m_faceSize;                // a made project's face, in pixels
    QComboBox* m_style = nullptr;
    QComboBox* m_scale = nullptr;
    QComboBox* m_variant = nullptr;
    CColorButton* m_colour1 = nullptr;
    CColorButton* m_colour2 = nullptr;
    QLineEdit* m_file = nullptr;
    QListWidget* m_textures = nullptr;
};

} // namespace

CWizardPage* CreateSidePage(const QString& title, char letter, const CAppFolders& folders, const ModelEntry& entry,
                            const CProduct& product, QWidget* parent)
{
    return new CSidePage(title, letter, folders, entry, product, parent);
}

CWizardPage* CreateFaceAppearancePage(char letter, const CAppFolders& folders, const CProduct& product,
                                      const SideAppearanceAnswer& present, QSize faceSize, QWidget* parent)
{
    auto* page = new CSidePage(QString(), letter, folders, ModelEntry{}, product, parent);
    page->ShowPresent(present, faceSize);
    return page;
}
