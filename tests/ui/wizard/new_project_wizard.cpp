// File New from the "New" dialog through the model's wizard to a rendered
// picture: the tabs and their remembered choice, the step captions, page
// refusals that keep the wizard on its page, and whole runs for a box, a
// binder with CD-ROM and a card. The first-run "Initializing" dialog: a
// refused start for too little free space, a run that ends with the bar full
// and the setup recorded, and a second start that closes at once (a whole
// first run is the setup's own test; here a set-up folder has lost its record
// and a picture, as after an interrupted first run).

#include "UiTestSupport.h"
#include "TestDataFolder.h"

#include "catalogue/Catalogue.h"
#include "catalogue/setup/InstalledData.h"
#include "catalogue/setup/Setup.h"
#include "properties/Appearance.h"
#include "properties/PrintSize.h"
#include "ui/dialogs/PictureLibraryDialog.h"
#include "ui/dialogs/SetupDialog.h"
#include "ui/dialogs/RenderOutputDialogs.h"
#include "ui/wizard/NewDialog.h"
#include "ui/wizard/NewProjectWizard.h"

#include <QDir>
#include <QRegularExpression>

namespace {

const CatalogueEntry* EntryOfKind(const char* kind)
{
    for (const CatalogueEntry& e : GetCatalogue())
        if (std::string_view(e.kind) == kind)
            return &e;
    return nullptr;
}

// Picks the first item of the current page's picture list, if it has one.
void ChooseFirstPicture(CNewProjectWizard& w)
{
    if (auto* list = w.CurrentPage()->findChild<QListWidget*>(QStringLiteral("choices")); list && list->count() > 0)
        list->setCurrentRow(0);
}

} // namespace

class CNewProjectWizardTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::optional<CAppFolders> m_folders;
    std::unique_ptr<CMainFrame> m_frame;
    CTestMessages m_messages;

    // Runs File New for `entry`; `drive` answers the wizard. True when the
    // dialog closed with OK.
    bool RunNew(const CatalogueEntry& entry, const std::function<bool(CNewProjectWizard&)>& drive)
    {
        CNewDialog dialog(*m_folders, *m_frame->Document(), m_frame.get());
        if (!dialog.ChooseModel(entry.prefix, GetCatalogueSectionName(entry)))
            return false;
        CNewDialog::SetWizardRunner(drive);
        dialog.accept();
        CNewDialog::SetWizardRunner(nullptr);
        return dialog.result() == QDialog::Accepted;
    }

    // Walks every page with its defaults (first picture of each list, a
    // small rendering) and finishes; `onPage` may change a page first.
    using PageHook = std::function<bool(CNewProjectWizard&, const QString& title)>;
    static bool WalkAll(CNewProjectWizard& w, QStringList* captions = nullptr, const PageHook& onPage = nullptr)
    {
        for (;;) {
            if (captions)
                *captions << w.Caption();
            // Every page reached by Alt and a letter: no letter twice.
            const QStringList clashes = MnemonicClashes(w);
            if (!clashes.isEmpty()) {
                qWarning() << w.Caption() << clashes;
                return false;
            }
            ChooseFirstPicture(w);
            if (w.CurrentPage()->Title() == QLatin1String("Background Size")) {
                Field<QLineEdit>(w, "renderWidth")->setText(QStringLiteral("120"));
                Field<QLineEdit>(w, "renderHeight")->setText(QStringLiteral("100"));
            }
            if (onPage && !onPage(w, w.CurrentPage()->Title()))
                return false;
            if (w.CurrentIndex() + 1 == w.PageCount())
                return w.Finish();
            if (!w.Next())
                return false;
        }
    }

    static bool GoTo(CNewProjectWizard& w, const char* title)
    {
        while (w.CurrentPage()->Title() != QLatin1String(title))
            if (!w.Next())
                return false;
        return true;
    }

    static SetupOptions Options(std::uint64_t freeBytes)
    {
        SetupOptions options;
        options.installedDataFolder = FindInstalledDataFolder(GetExecutablePath());
        options.freeSpace = [freeBytes](const std::string&) { return std::optional<std::uint64_t>(freeBytes); };
        return options;
    }

    template <class T> static T* Field(CNewProjectWizard& w, const char* name)
    {
        return w.CurrentPage()->findChild<T*>(QString::fromLatin1(name));
    }

    void ExpectRendered(const char* kind)
    {
        CProduct* product = m_frame->Document()->GetProduct();
        QVERIFY(product);
        const SettingStore& s = product->GetSettings();
        QCOMPARE(std::tuple(QString::fromLatin1(product->GetKindCode()), s.GetInt(ModelKey(kSetRenderWidth)),
                            s.GetInt(ModelKey(kSetRenderHeight))),
                 std::tuple(QString::fromLatin1(kind), 120, 100));
        m_frame->DocumentChanged();
        QVERIFY(ShowRenderTab(*m_frame));
        const QImage picture = m_frame->View()->RenderPage()->Picture().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), QSize(120, 100));
        // Something was drawn on the white background.
        QImage white(picture.size(), QImage::Format_RGB32);
        white.fill(Qt::white);
        QVERIFY(picture != white);
        // The grid beside the Render tab shows the new product's settings.
        auto* grid = m_frame->findChild<CPropertyGrid*>();
        QVERIFY(grid && grid->FindRow("X Rotation") >= 0);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        std::string error;
        m_folders = MakeSetUpDataFolder(m_dir.path().toStdString(), error);
        QVERIFY2(m_folders, error.c_str());
    }

    void init()
    {
        m_messages.Reset();
        m_frame = std::make_unique<CMainFrame>(QString());
        m_frame->SetFolders(&*m_folders);
        // The Rendering Complete prompt is answered "No".
        SetRenderDialogHooks([](QDialog&) { return 2; }, nullptr);
    }

    void cleanup()
    {
        m_frame.reset();
        SetMessageHooks(nullptr, nullptr);
        SetRenderDialogHooks(nullptr, nullptr);
    }

    void newDialogTabsAndThumbnails()
    {
        m_folders->PutUserString("GUI", "NewTab", "box");
        {
            CNewDialog dialog(*m_folders, *m_frame->Document());
            QCOMPARE(std::pair(dialog.Tabs()->count(), dialog.Tabs()->tabData(dialog.Tabs()->currentIndex()).toString()),
                     std::pair(8, QStringLiteral("box")));
            QVERIFY(dialog.List()->count() > 0);
            // The model's name as the label, the file it comes from only in
            // the tip; OK waits for a choice.
            const QListWidgetItem* first = dialog.List()->item(0);
            const QString name = first->text(), tip = first->toolTip();
            QVERIFY2(!name.isEmpty() && !name.contains(QStringLiteral("dmo_")), qPrintable(name));
            QVERIFY(tip.startsWith(name) && tip.contains(first->data(Qt::UserRole).toString()));
            QVERIFY(!dialog.OkButton()->isEnabled());
            dialog.List()->setCurrentRow(0);
            QVERIFY(dialog.OkButton()->isEnabled());
            // Each model shows as itself: on every tab no two thumbnails are the
            // same picture and no two labels the same name, and every name fits its cell.
            QStringList same, cut;
            for (int t = 0; t < dialog.Tabs()->count(); ++t) {
                dialog.Tabs()->setCurrentIndex(t);
                QListWidget* list = dialog.List();
                const QSize cell = list->gridSize();
                std::vector<QImage> icons;
                for (int i = 0; i < list->count(); ++i) {
                    QVERIFY(!list->item(i)->icon().isNull());
                    icons.push_back(list->item(i)->icon().pixmap(QSize(77, 77)).toImage());
                    const QString name = list->item(i)->text();
                    const QRect text = list->fontMetrics().boundingRect(QRect(0, 0, cell.width() - 8, 1000),
                                                                        Qt::AlignHCenter | Qt::TextWordWrap, name);
                    if (text.height() > cell.height() - 77 - 8)
                        cut << name;
                    for (const QString& line : name.split(QLatin1Char('\n')))
                        if (!line.contains(QLatin1Char(' ')) && list->fontMetrics().horizontalAdvance(line) > cell.width() - 8)
                            cut << line;
                    for (int j = 0; j < i; ++j)
                        if (icons[i] == icons[j] || name == list->item(j)->text())
                            same << list->item(j)->text() + QStringLiteral(" = ") + name;
                }
            }
            QVERIFY2(same.isEmpty(), qPrintable(same.join(QStringLiteral(" | "))));
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(" | "))));
            // Another tab is remembered at once and starts the next dialog.
            for (int i = 0; i < dialog.Tabs()->count(); ++i)
                if (dialog.Tabs()->tabData(i).toString() == QLatin1String("crd"))
                    dialog.Tabs()->setCurrentIndex(i);
        }
        QCOMPARE(m_folders->GetUserString("GUI", "NewTab", ""), std::string("crd"));
        CNewDialog again(*m_folders, *m_frame->Document());
        QCOMPARE(again.Tabs()->tabData(again.Tabs()->currentIndex()).toString(), QStringLiteral("crd"));
        // Nothing chosen: the selection error, and the dialog stays.
        again.List()->clearSelection();
        again.accept();
        QCOMPARE(m_messages.messages.value(0), QStringLiteral("Error getting selection. Program data corrupted?"));
        QVERIFY(again.result() != QDialog::Accepted);
    }

    // The captions count the steps; the effects page's controls start at the
    // new-project look and what is chosen there becomes the project's.
    void boxWithCaptionsAndEffects()
    {
        QStringList captions;
        bool seen = false;
        QVERIFY(RunNew(*EntryOfKind("BOX"), [&](CNewProjectWizard& w) {
            return WalkAll(w, &captions, [&seen](CNewProjectWizard& w, const QString&) {
                auto* shading = Field<QSlider>(w, "shading");
                if (!shading)
                    return true;
                auto* softness = Field<QSlider>(w, "shadowSoftness");
                auto* filtering = Field<QComboBox>(w, "textureFiltering");
                if (!softness || !filtering || shading->value() != 50 || softness->value() != 8 ||
                    filtering->currentText() != QLatin1String("Smooth"))
                    return false;
                shading->setValue(80);
                softness->setValue(20);
                filtering->setCurrentIndex(filtering->findText(QStringLiteral("Nearest")));
                return seen = true;
            });
        }));
        // A new project is not modified until the user edits it.
        QVERIFY(!m_frame->Document()->IsModified());
        const int n = captions.size();
        QVERIFY(n >= 4);
        QCOMPARE(captions.last(), QStringLiteral("Step %1 of %1: Special Effects").arg(n));
        QCOMPARE(captions.at(n - 4), QStringLiteral("Step %1 of %2: Background's Appearance").arg(n - 3).arg(n));
        QVERIFY(seen);
        const SettingStore& s = m_frame->Document()->GetProduct()->GetSettings();
        QCOMPARE((std::array{s.GetInt(ModelKey(kSetShading)), s.GetInt(ModelKey(kSetShadowSoftness)),
                             s.GetInt(ModelKey(kSetTextureFiltering))}),
                 (std::array{80, 20, 0}));
        ExpectRendered("BOX");
    }

    // A binder with a CD-ROM meets the pages, binding and both CD-ROM pages.
    void binderWithCDROM()
    {
        QStringList captions;
        QVERIFY(RunNew(*EntryOfKind("BINDERCD"), [&](CNewProjectWizard& w) {
            return WalkAll(w, &captions, [](CNewProjectWizard& w, const QString& title) {
                if (title == QLatin1String("Binding Style"))
                    Field<QComboBox>(w, "binderType")->setCurrentIndex(Field<QComboBox>(w, "binderType")->findText(QStringLiteral("Spiral Bound")));
                return true;
            });
        }));
        for (const char* page : {"Select CD-ROM Image", "Select CD-ROM Position", "Pages' Appearance", "Binding Style"})
            QVERIFY2(captions.join('|').contains(QLatin1String(page)), page);
        ExpectRendered("BINDERCD");
        const CProduct& product = *m_frame->Document()->GetProduct();
        QCOMPARE(product.GetSettings().GetInt(ModelKey(kSetBinderType)), 1);
        QVERIFY(!product.GetSettings().GetText(ModelKey(kSetCDImage)).empty() && product.FindSidePtr("C"));
    }

    // The size page's print size follows the typed pixels (the arithmetic and
    // the refusals are the core's); the light buttons make the lights mask; a
    // refused size on the last page takes the focus, so the user can retype it.
    void cardWithPrintSizeLightsAndEffectRefusals()
    {
        bool bevelFocus = false, borderFocus = false;
        QVERIFY(RunNew(*EntryOfKind("CARD"), [&](CNewProjectWizard& w) {
            return WalkAll(w, nullptr, [&](CNewProjectWizard& w, const QString& title) {
                if (title == QLatin1String("Background Size")) {
                    auto* print = Field<QLabel>(w, "printSize");
                    Field<QLineEdit>(w, "renderWidth")->setText(QStringLiteral("10001"));  // out of range: no print size
                    if (!print || !print->text().isEmpty())
                        return false;
                    Field<QLineEdit>(w, "renderWidth")->setText(QStringLiteral("120"));
                    return print->text() == QString::fromStdString(FormatPrintSize(120, 100, 300));
                }
                if (title == QLatin1String("Shadows and Reflections")) {
                    // The bottom row on, the default light off: bits 0 .. 4.
                    for (int c = 0; c < 5; ++c)
                        Field<QPushButton>(w, qPrintable(QStringLiteral("light_%1_0").arg(c)))->setChecked(true);
                    Field<QPushButton>(w, "light_2_1")->setChecked(false);
                }
                if (w.CurrentIndex() + 1 < w.PageCount())
                    return true;
                auto* bevelSize = Field<QLineEdit>(w, "bevelSize");
                auto* borderSize = Field<QLineEdit>(w, "borderSize");
                Field<QCheckBox>(w, "bevel")->setChecked(true);
                bevelSize->setText(QStringLiteral("0"));
                Field<QComboBox>(w, "bevelStyle")->setFocus();  // focus elsewhere first
                if (w.Finish())
                    return false;
                bevelFocus = w.focusWidget() == bevelSize && bevelSize->selectedText() == QLatin1String("0");
                bevelSize->setText(QStringLiteral("12"));
                Field<QCheckBox>(w, "borders")->setChecked(true);
                borderSize->setText(QStringLiteral("abc"));
                bevelSize->setFocus();
                if (w.Finish())
                    return false;
                borderFocus = w.focusWidget() == borderSize && borderSize->selectedText() == QLatin1String("abc");
                borderSize->setText(QStringLiteral("4"));
                return true;
            });
        }));
        // The bevel's limit for the 120 x 100 rendering: min(120 / 4, 100 / 4) = 25.
        QCOMPARE(m_messages.messages, (QStringList{QStringLiteral("Bevel Size must be between 1 and 25 pixels."),
                                                   QStringLiteral("Border Size contains invalid characters.")}));
        QVERIFY(bevelFocus && borderFocus);
        ExpectRendered("CARD");
        QCOMPARE(m_frame->Document()->GetProduct()->GetSettings().GetInt(ModelKey(kSetLights)), 0x1F);
    }

    // Cancelled on the pages page (after its total refused Next): the
    // document keeps its product.
    void pagesTotalBlocksNextAndCancelKeepsTheDocument()
    {
        GiveBoxProduct(*m_frame);
        const CProduct* before = m_frame->Document()->GetProduct();
        bool checked = false;
        QVERIFY(!RunNew(*EntryOfKind("BOOK"), [&](CNewProjectWizard& w) {
            if (!GoTo(w, "Pages' Appearance"))
                return false;
            auto* pages = w.CurrentPage()->findChild<QLineEdit*>(QStringLiteral("depth1"));
            pages->setText(QStringLiteral("70"));
            auto* total = w.CurrentPage()->findChild<QLabel*>(QStringLiteral("total"));
            if (total->text() != QLatin1String("ERROR") || w.NextButton()->isEnabled() || w.Next())
                return false;
            pages->setText(QStringLiteral("80"));
            if (total->text() != QLatin1String("100") || !w.NextButton()->isEnabled())
                return false;
            checked = true;
            return false;  // cancel here
        }));
        QVERIFY(checked && m_frame->Document()->GetProduct() == before);
    }

    // The binder's warning questions come up with No preselected; No keeps
    // the size page and gives the focus back to the Width field.
    void binderQuestionPreselectsNo()
    {
        const CatalogueEntry* entry = nullptr;
        for (const CatalogueEntry& e : GetCatalogue())
            if (std::string_view(e.kind) == "BINDER" && e.width < 0)
                entry = &e;
        QVERIFY(entry);
        // Questions come up as real boxes; a timer reads and answers them.
        SetMessageHooks([this](const QString& t, EMessageIcon) { m_messages.messages << t; }, nullptr);
        QString question;
        bool noIsDefault = false;
        std::function<void()> answer;
        answer = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(10, answer);
                return;
            }
            question = box->text();
            noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
            box->button(QMessageBox::No)->click();
        };
        bool stayed = false, widthFocused = false;
        QVERIFY(!RunNew(*entry, [&](CNewProjectWizard& w) {
            w.show();
            auto* width = w.CurrentPage()->findChild<QLineEdit*>(QStringLiteral("width"));
            auto* depth = w.CurrentPage()->findChild<QLineEdit*>(QStringLiteral("depth"));
            width->setText(QStringLiteral("100"));
            depth->setText(QStringLiteral("60"));
            depth->setFocus();
            QTimer::singleShot(10, answer);
            stayed = !w.Next() && w.CurrentIndex() == 0;
            widthFocused = w.focusWidget() == width;
            return false;
        }));
        QVERIFY(question.startsWith(QStringLiteral("To make the Binding fit the current Width and Depth")));
        QVERIFY(noIsDefault && stayed && widthFocused);
    }

    // The side page offers the program's patterns by their look (no number
    // without a bitmap), and the texture names fit their cells.
    void sidePageChoosesRealPatternsAndShowsTextureNames()
    {
        int patterns = 0, missing = 0, gradients = 0, clipped = 0, textures = 0;
        int storedPattern = 0;
        QVERIFY(!RunNew(*EntryOfKind("CARD"), [&](CNewProjectWizard& w) {
            if (!GoTo(w, "Front's Appearance"))
                return false;
            QWidget* page = w.CurrentPage();
            auto* style = page->findChild<QComboBox*>(QStringLiteral("style"));
            auto* variant = page->findChild<QComboBox*>(QStringLiteral("variant"));
            auto* list = page->findChild<QListWidget*>(QStringLiteral("textures"));
            if (!style || !variant || !list)
                return false;
            style->setCurrentIndex(style->findText(QStringLiteral("Gradient")));
            gradients = variant->count();
            style->setCurrentIndex(style->findText(QStringLiteral("Pattern")));
            patterns = variant->count();
            for (int i = 0; i < variant->count(); ++i)
                if (!GetPatternBitmap(variant->itemData(i).toInt()))
                    ++missing;
            variant->setCurrentIndex(variant->findData(177));
            textures = list->count();
            for (int i = 0; i < list->count(); ++i)
                if (list->fontMetrics().horizontalAdvance(list->item(i)->text()) > list->gridSize().width() - 4)
                    ++clipped;
            if (!w.Next())
                return false;
            storedPattern = w.Answers().sides.at('F').pattern;
            return false;
        }));
        // 16 gradient shapes, each with the colours either way round; patterns 131 and 144 .. 193.
        QCOMPARE((std::array{gradients, patterns, missing, storedPattern, clipped}), (std::array{32, 51, 0, 177, 0}));
        QVERIFY(textures > 0);
    }

    // "Gen Library" describes a folder's pictures and lists the folder; the
    // dialog then shows its pictures with their sizes.
    void genLibraryDescribesAFolder()
    {
        QTemporaryDir pics;
        QVERIFY(pics.isValid());
        QImage a(30, 20, QImage::Format_RGB32), b(8, 12, QImage::Format_RGB32);
        a.fill(qRgb(255, 0, 0));
        b.fill(qRgb(0, 0, 255));
        QVERIFY(a.save(pics.filePath(QStringLiteral("beach.png"))));
        QVERIFY(b.save(pics.filePath(QStringLiteral("Alps.bmp"))));
        QFile note(pics.filePath(QStringLiteral("readme.txt")));
        QVERIFY(note.open(QIODevice::WriteOnly) && note.write("not a picture") > 0);
        note.close();
        // A folder without pictures is refused and nothing is listed.
        QTemporaryDir empty;
        CPictureLibraryDialog dialog(*m_folders);
        const int before = dialog.Tree()->topLevelItemCount();
        QVERIFY(!dialog.GenerateLibrary(empty.path()));
        QCOMPARE(m_messages.messages.value(0), QStringLiteral("There are no pictures in %1/.").arg(empty.path()));
        QCOMPARE(dialog.Tree()->topLevelItemCount(), before);

        CPictureLibraryDialog::SetFolderChooser([&pics] { return pics.path(); });
        QPushButton* generate = nullptr;
        for (QPushButton* b2 : dialog.findChildren<QPushButton*>())
            if (b2->text() == QLatin1String("Gen &Library"))
                generate = b2;
        QVERIFY(generate);
        generate->click();
        CPictureLibraryDialog::SetFolderChooser(nullptr);
        QCOMPARE(std::pair(dialog.Tree()->topLevelItemCount(), dialog.Tree()->currentItem()->text(0)),
                 std::pair(before + 1, QDir(pics.path()).dirName()));
        // Name order ignoring case: Alps, then beach; the text file is left out
        // (every format the loader reads is offered: ForeignPictures.PictureLoaderReadsTiffFilesAndTheDialogsOfferThem).
        QCOMPARE(std::pair(dialog.List()->count(), dialog.List()->item(0)->text()), std::pair(2, QStringLiteral("Alps")));
        dialog.List()->setCurrentRow(1);
        QCOMPARE(dialog.InfoText(), QStringLiteral("\n\n30 X 20 pixels"));
        // Generating again does not list the folder twice.
        QVERIFY(dialog.GenerateLibrary(pics.path()));
        QCOMPARE(dialog.Tree()->topLevelItemCount(), before + 1);
    }

    void refusesWithTooLittleSpaceThenFillsTheBarOnce()
    {
        QTemporaryDir dir;
        std::string error;
        auto folders = MakeSetUpDataFolder((dir.path() + QStringLiteral("/data")).toStdString(), error);
        QVERIFY2(folders, error.c_str());
        QVERIFY2(!Options(0).installedDataFolder.empty(), "installed data not built");
        QVERIFY(folders->PutProgramInt("Init", "Template", 0));
        QVERIFY(QFile::remove(QString::fromStdString(folders->GetInternalFolder() + "ecd_c000.png")));
        // Exactly the amount the setup needs is one byte too few.
        const std::uint64_t required = CSetup(*folders, Options(0), {}).GetRequiredFreeBytes();
        {
            CSetupDialog refused(*folders, Options(required));
            QCOMPARE(refused.exec(), int(QDialog::Rejected));
            QVERIFY(refused.Outcome() == SetupOutcome::Failed);
            // The message's wording is the core's (SetupFreeSpace.RefusesAtTheBoundary).
            QVERIFY(refused.FailureMessage().contains(QString::fromStdString(CSetup::FormatByteCount(required) + " bytes")));
            QCOMPARE(folders->GetProgramInt("Init", "Template", 0), 0);
        }
        {
            CSetupDialog dialog(*folders, Options(required + 1));
            QCOMPARE(dialog.findChild<QProgressBar*>(QStringLiteral("progress"))->maximum(), CSetup::kTotalSteps);
            QCOMPARE(dialog.exec(), int(QDialog::Accepted));
            QVERIFY(dialog.Outcome() == SetupOutcome::Completed && dialog.Position() == CSetup::kTotalSteps);
            // The last group and its last item are still on show when it ends.
            QCOMPARE(dialog.StepText(), QStringLiteral("Setting up Model data"));
            QVERIFY2(dialog.DetailText().startsWith(QStringLiteral("Processing: ")), qPrintable(dialog.DetailText()));
            static const QRegularExpression estimate(QStringLiteral("^((\\d+ Minutes? )?\\d+ Seconds?)?$"));
            QVERIFY2(estimate.match(dialog.EstimateText()).hasMatch(), qPrintable(dialog.EstimateText()));
            // The fixed texts of the dialog.
            QStringList texts;
            for (QLabel* l : dialog.findChildren<QLabel*>())
                texts << l->text();
            for (const char* text : {"Estimated Time Remaining:", "Please Wait",
                                     "Note: This process may take several minutes, the first time that Vantorel is used on "
                                     "your computer."})
                QVERIFY2(texts.contains(QLatin1String(text)), text);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Initializing"));
        }
        QCOMPARE(folders->GetProgramInt("Init", "Template", 0), 1);
        QVERIFY(IsCompleteFile(folders->GetInternalFolder() + "ecd_c000.png"));

        // A later start closes at once without showing anything.
        CSetupDialog again(*folders, Options(0));
        QCOMPARE(again.exec(), int(QDialog::Accepted));
        QVERIFY(again.Outcome() == SetupOutcome::AlreadyDone && !again.isVisible());
        // The start-up helper agrees and says nothing.
        CTestMessages messages;
        messages.Install();
        QVERIFY(RunSetup(*folders));
        QVERIFY(messages.messages.isEmpty());
        SetMessageHooks(nullptr, nullptr);
    }
};

QTEST_MAIN(CNewProjectWizardTest)
#include "new_project_wizard.moc"
