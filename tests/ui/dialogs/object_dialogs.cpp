// Drives the "Draw Text" and "Draw Barcode" dialogs and the Properties
// dialog's text and barcode pages the way a user does: typing into the
// fields, picking a face, ticking boxes, pressing OK, Back and Next. Checks
// the objects made, the last-used text settings, the refusal messages and
// where the focus goes after a refusal.

#include "canvas/CanvasTestFixture.h"

#include "layout/barcode/DrawBarcode.h"
#include "layout/text/DrawText.h"
#include "layout/text/FontEngine.h"
#include "ui/dialogs/DrawBarcodeDialog.h"
#include "ui/dialogs/DrawTextDialog.h"
#include "ui/dialogs/ObjectPropertiesDialog.h"
#include "ui/dialogs/TextPropertyPage.h"
#include "ui/canvas/GeometryBar.h"

#include <QPlainTextEdit>

class CObjectDialogsTest : public CCanvasFixture {
    Q_OBJECT

private:
    // Failed checks made inside the dialog runners (where QVERIFY cannot
    // return); each test asserts the list is empty afterwards.
    QStringList m_failures;

    void Check(bool condition, const QString& what)
    {
        if (!condition)
            m_failures << what;
    }
    // The messages shown so far, all of them.
    void CheckMessages(const QStringList& want) { Check(m_messages.messages == want, m_messages.messages.join('|')); }
    // Shows a dialog as exec() would, so that focus and enabling are real.
    bool ShowActive(QDialog& dialog)
    {
        dialog.show();
        dialog.activateWindow();
        return QTest::qWaitFor([&dialog]() { return QApplication::activeWindow() == &dialog; }, 2000);
    }
    static bool HasFocus(QWidget* w)
    {
        QWidget* f = QApplication::focusWidget();
        return f && (f == w || w->isAncestorOf(f));
    }
    template <class TField> static void Retype(TField* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    static void PressOk(QDialogButtonBox* buttons) { buttons->button(QDialogButtonBox::Ok)->click(); }
    // Draws a text through the real dialog: types `text` and presses OK.
    void DrawText(int x, int y, const QString& text)
    {
        CVtwinView::SetObjectDialogRunner([&](QDialog& d) {
            auto& dialog = dynamic_cast<CDrawTextDialog&>(d);
            Check(ShowActive(dialog), QStringLiteral("text dialog shown"));
            QTest::keyClicks(dialog.Page()->TextField(), text);
            PressOk(dialog.Buttons());
            return dialog.result() == QDialog::Accepted;
        });
        Run(ID_TOOL_TEXT);
        DragFace(x, y, x, y);
        CVtwinView::SetObjectDialogRunner(nullptr);
    }

private slots:
    void init()
    {
        m_failures.clear();
        QVERIFY(StartOnFront(300, 200));
    }
    void cleanup()
    {
        CVtwinView::SetObjectDialogRunner(nullptr);
        CVtwinView::SetPropertiesRunner(nullptr);
        m_frame.reset();
    }

    void faceListHoldsTheTrueTypeFacesDrawnInThemselves()
    {
        CTextPropertyPage page;
        QComboBox* face = page.FaceCombo();
        const std::vector<std::string> installed = CFontEngine::Get().ListTrueTypeFaces();
        QVERIFY(!installed.empty());
        // Every installed face, plus "Arial" (the default face, which resolves
        // to a metric-compatible font of another name) kept in sorted place.
        for (const std::string& name : installed)
            QVERIFY2(face->findText(QString::fromStdString(name)) >= 0, name.c_str());
        QCOMPARE(face->currentText(), QStringLiteral("Arial"));
        for (int i = 0; i < face->count(); ++i) {
            const QString family = face->itemText(i);
            const QVariant font = face->itemData(i, Qt::FontRole);
            QCOMPARE(font.value<QFont>().family(), family);
            QVERIFY(!face->itemIcon(i).isNull());
            if (i > 0)
                QVERIFY(QString::compare(face->itemText(i - 1), family, Qt::CaseInsensitive) <= 0);
        }
        // The closed list shows the chosen face in itself too.
        QCOMPARE(face->font().family(), QStringLiteral("Arial"));
        const int other = face->findText(QString::fromStdString(installed.back()));
        face->setCurrentIndex(other);
        QCOMPARE(face->font().family(), QString::fromStdString(installed.back()));
        // A size outside the list shows in the field without joining the list.
        QComboBox* size = page.SizeCombo();
        const int sizes = size->count();
        CTextValues v;
        v.size = 30;
        page.SetValues(v);
        QCOMPARE(size->currentText(), QStringLiteral("30"));
        QCOMPARE(size->count(), sizes);
    }

    void drawsATextAndKeepsItsSettingsForTheNext()
    {
        const QString serif = QStringLiteral("Liberation Serif");
        QVERIFY(CFontEngine::Get().IsFaceInstalled(serif.toStdString()));
        bool swapBefore = true, colour2Before = true, swapBordered = false, colour2Bordered = false;
        CVtwinView::SetObjectDialogRunner([&](QDialog& d) {
            auto* dialog = dynamic_cast<CDrawTextDialog*>(&d);
            if (!dialog)  // no object made: the count below fails
                return false;
            Check(dialog->windowTitle() == QStringLiteral("Draw Text"), dialog->windowTitle());
            Check(ShowActive(*dialog), QStringLiteral("shown"));
            CTextPropertyPage* page = dialog->Page();
            Check(HasFocus(page->TextField()), QStringLiteral("the text field has the focus"));
            Check(page->FaceCombo()->currentText() == QStringLiteral("Arial"), page->FaceCombo()->currentText());
            Check(page->SizeCombo()->currentText() == QStringLiteral("48"), page->SizeCombo()->currentText());
            // Refusals (the rules are the core's): the dialog stays, the
            // focus goes to the refused field, even from another field.
            page->SizeCombo()->setFocus();
            PressOk(dialog->Buttons());
            CheckMessages({"Please enter some Text."});
            Check(dialog->isVisible() && HasFocus(page->TextField()), QStringLiteral("stays, focus in the text"));
            QTest::keyClicks(page->TextField(), QStringLiteral("Vantorel"));
            page->SizeCombo()->setEditText(QStringLiteral("256"));
            PressOk(dialog->Buttons());
            CheckMessages({"Please enter some Text.", "Size must be between 1 and 255."});
            Check(dialog->isVisible() && HasFocus(page->SizeCombo()) &&
                      page->SizeCombo()->lineEdit()->selectedText() == QStringLiteral("256"),
                  QStringLiteral("stays, the size selected"));
            m_messages.messages.clear();
            page->FaceCombo()->setCurrentIndex(page->FaceCombo()->findText(serif));
            Retype(page->SizeCombo()->lineEdit(), QStringLiteral("30"));
            QTest::mouseClick(dialog->findChild<QCheckBox*>(QStringLiteral("bold")), Qt::LeftButton);
            Check(dialog->findChild<QCheckBox*>(QStringLiteral("smooth"))->isChecked(), QStringLiteral("smooth"));
            swapBefore = page->SwapButton()->isEnabled();
            colour2Before = page->Colour2Button()->isEnabled();
            page->AppearanceCombo()->setCurrentIndex(1);  // "Bordered"
            swapBordered = page->SwapButton()->isEnabled();
            colour2Bordered = page->Colour2Button()->isEnabled();
            page->Colour1Button()->SetColor(0x0000FF);
            QTest::mouseClick(page->SwapButton(), Qt::LeftButton);
            PressOk(dialog->Buttons());
            return dialog->result() == QDialog::Accepted;
        });
        Run(ID_TOOL_TEXT);
        DragFace(40, 120, 40, 120);  // a click at (40, 120)
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
        // Swap and the second colour only for Bordered.
        QCOMPARE((QList<bool>{swapBefore, colour2Before, swapBordered, colour2Bordered}),
                 (QList<bool>{false, false, true, true}));
        QVERIFY(m_messages.messages.isEmpty());

        QCOMPARE(int(Front().GetObjectCount()), 1);
        auto* t = dynamic_cast<CDrawText*>(Front().GetObject(0));
        QVERIFY(t);
        // Bold and smooth only; swapped colours: yellow glyphs with a red border.
        using Look = std::tuple<std::string, std::string, std::uint32_t, int, std::uint32_t, COLORREF, COLORREF>;
        const auto styles = [](bool b, bool i, bool u, bool s, bool sm) { return b | i << 1 | u << 2 | s << 3 | sm << 4; };
        const Look want{"Vantorel", serif.toStdString(), 30, styles(1, 0, 0, 0, 1), 1, 0x00FFFF, 0x0000FF};
        QVERIFY(Look(t->GetString(), t->GetFontFace(), t->GetSize(),
                     styles(t->GetBold(), t->GetItalic(), t->GetUnderline(), t->GetStrikeOut(), t->GetSmooth()),
                     t->GetAppearance(), t->GetColour1(), t->GetColour2()) == want);
        QCOMPARE(t->GetSelection(), kSelectDominant);
        QCOMPARE(TopUndo(), QStringLiteral("Draw Text"));
        // The box's top-left corner at the release point (its size from the
        // text is the core's: TextRender.BoxIsOnePixelLargerThanTheGlyphExtentOnEverySide).
        QCOMPARE(std::pair(t->GetMinX(), t->GetMaxY()), std::pair(40, 120));

        // The dialog's choices became the last-used settings: the next
        // text's dialog starts from them, with an empty text.
        CTextValues seen;
        CVtwinView::SetObjectDialogRunner([&](QDialog& d) {
            auto& dialog = dynamic_cast<CDrawTextDialog&>(d);
            seen = dialog.Page()->Values();
            Check(dialog.Page()->SizeCombo()->currentText() == QStringLiteral("30"), QStringLiteral("size typed"));
            Check(dialog.Page()->SwapButton()->isEnabled(), QStringLiteral("swap enabled for Bordered"));
            return false;  // Cancel
        });
        DragFace(20, 60, 20, 60);
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
        // Cancelled: nothing made.
        QVERIFY(Front().GetObjectCount() == 1 && CUndoStore::Instance().GetUndoCount() == 1);
        QVERIFY(Look(seen.text, seen.face, seen.size,
                     styles(seen.bold, seen.italic, seen.underline, seen.strikeOut, seen.smooth), seen.appearance,
                     seen.colour1, seen.colour2) == Look({}, serif.toStdString(), 30, styles(1, 0, 0, 0, 1), 1, 0x00FFFF, 0x0000FF));
    }

    // A 150 mm wide box drawn at 1200 x 1200: the 300-pixel front has 2
    // pixels a millimetre, the rendering 0.5 * 1200 / 150 = 4, so a face pixel
    // is half a rendering pixel and the 3 rendering pixels a module that
    // scanners need are ceil(3 * 0.5) = 2 face pixels: new barcodes start at
    // that module, their bars at least a quarter of their length long.
    void GiveRealSize()
    {
        SettingStore& s = m_frame->Document()->GetProduct()->GetSettings();
        s.SetReal(ModelKey(kSetProductWidth), 150.0);
        s.SetReal(ModelKey(kSetProductHeight), 100.0);
        s.SetReal(ModelKey(kSetProductDepth), 20.0);
        s.SetInt(ModelKey(kSetRenderWidth), 1200);
        s.SetInt(ModelKey(kSetRenderHeight), 1200);
    }

    void barcodeDialogRefusesGrowsAndOffersTheLastKind()
    {
        GiveRealSize();
        int shown = 0;
        CVtwinView::SetObjectDialogRunner([&](QDialog& d) {
            ++shown;
            auto* dialog = dynamic_cast<CDrawBarcodeDialog*>(&d);
            if (!dialog)
                return false;
            Check(dialog->windowTitle() == QStringLiteral("Draw Barcode"), dialog->windowTitle());
            Check(ShowActive(*dialog), QStringLiteral("shown"));
            QLineEdit* field = dialog->Page()->Field();
            Check(HasFocus(field), QStringLiteral("the field has the focus"));
            if (shown == 1) {
                PressOk(dialog->Buttons());
                CheckMessages({"Please enter a Barcode."});
                Check(HasFocus(field), QStringLiteral("focus back after empty"));
                QTest::keyClicks(field, QStringLiteral("abc"));
                dialog->Buttons()->setFocus();
                PressOk(dialog->Buttons());
                CheckMessages({"Please enter a Barcode.", "Barcode includes invalid characters."});
                Check(dialog->isVisible() && dialog->result() != QDialog::Accepted, QStringLiteral("stays open"));
                Check(HasFocus(field) && field->selectedText() == QStringLiteral("abc"),
                      QStringLiteral("focus back after abc"));
                QTest::keyClicks(field, QStringLiteral("ABC"));  // replaces the selected text
            } else {
                // The kind chosen last is offered again.
                QComboBox* kind = dialog->Page()->KindBox();
                const bool ean = shown == 2;
                Check(kind->currentText() == QLatin1String(ean ? "Code 39" : "EAN-13"), kind->currentText());
                kind->setCurrentIndex(kind->findText(QLatin1String(ean ? "EAN-13" : "Code 39")));
                // Without its check digit, which is added; "*" inside Code 39 data is accepted.
                QTest::keyClicks(field, QLatin1String(ean ? "400638133393" : "A*B"));
            }
            PressOk(dialog->Buttons());
            return dialog->result() == QDialog::Accepted;
        });
        Run(ID_TOOL_BARCODE);
        DragFace(20, 90, 30, 85);  // a 10 x 5 box, smaller than the symbol
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
        QVERIFY(m_messages.messages.size() == 2 && Front().GetObjectCount() == 1);
        auto* b = dynamic_cast<CDrawBarcode*>(Front().GetObject(0));
        QVERIFY(b && b->GetData() == "ABC" && b->GetSelection() == kSelectDominant);
        QCOMPARE(TopUndo(), QStringLiteral("Draw Barcode"));
        // Grown to the scanning size of the front (BarcodePlacement.ADrawnBarcodeGrowsToWhatScans):
        // "ABC" is 100 modules at 2 pixels a module.
        QCOMPARE(b->GetMaxX(), 20 + 2 * 100);

        DragFace(20, 150, 30, 145);
        DragFace(10, 190, 290, 120);
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
        auto* ean = dynamic_cast<CDrawBarcode*>(Front().GetObject(1));
        QVERIFY(ean && ean->GetBarcodeKind() == EBarcodeKind::Ean13);
        QCOMPARE(std::pair(ean->GetData(), Front().GetObject(2)->GetText()),
                 std::pair(std::string("4006381333931"), std::string("A*B")));

        // The Properties dialog's barcode page (its refusals: the text pages' test).
        Run(ID_TOOL_SELECT);
        LayoutEdit::SelectOnly(Front(), Front().GetObject(0));
        CVtwinView::SetPropertiesRunner([&](CObjectPropertiesDialog& dialog) {
            Check(ShowActive(dialog), QStringLiteral("shown"));
            auto* page = dialog.findChild<CBarcodePropertyPage*>();
            Check(page && page->Field()->text() == QStringLiteral("ABC"), QStringLiteral("barcode page with ABC"));
            if (!page)
                return false;
            Retype(page->Field(), QStringLiteral("ABCDEFGHIJKL"));
            dialog.accept();
            return dialog.result() == QDialog::Accepted;
        });
        Run(ID_OBJECT_PROPERTIES);
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
        QCOMPARE(QString::fromStdString(Front().GetObject(0)->GetText()), QStringLiteral("ABCDEFGHIJKL"));
        QCOMPARE(TopUndo(), QStringLiteral("Properties Barcode"));
        // The longer data outgrows the box (BarcodePlacement.ADrawnBarcodeGrowsToWhatScans: 244 modules).
        QCOMPARE(Front().GetObject(0)->GetMaxX(), 20 + 244);
    }

    // Enter starts a new line; the lines' alignment and spacings come from
    // the dialog; a drag makes a box the lines wrap in; the text stays on
    // the face (a rectangle's look in the Properties dialog: ui.canvas_commands).
    void textLinesAndWrappedBoxes()
    {
        CVtwinView::SetObjectDialogRunner([&](QDialog& d) {
            auto& dialog = dynamic_cast<CDrawTextDialog&>(d);
            Check(ShowActive(dialog), QStringLiteral("text dialog shown"));
            CTextPropertyPage* page = dialog.Page();
            QTest::keyClicks(page->TextField(), QStringLiteral("line one"));
            QTest::keyClick(page->TextField(), Qt::Key_Return);
            QTest::keyClicks(page->TextField(), QStringLiteral("two"));
            Check(dialog.isVisible(), QStringLiteral("Enter keeps the dialog open"));
            page->SizeCombo()->setEditText(QStringLiteral("12"));
            page->AlignCombo()->setCurrentIndex(1);
            page->LineSpacingField()->setValue(150);
            PressOk(dialog.Buttons());
            return dialog.result() == QDialog::Accepted;
        });
        Run(ID_TOOL_TEXT);
        DragFace(290, 150, 290, 150);  // a click near the right edge
        DragFace(20, 100, 120, 90);    // a box 100 pixels wide
        CVtwinView::SetObjectDialogRunner(nullptr);
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
        QCOMPARE(int(Front().GetObjectCount()), 2);
        auto* point = dynamic_cast<CDrawText*>(Front().GetObject(0));
        auto* box = dynamic_cast<CDrawText*>(Front().GetObject(1));
        QVERIFY(point && box);
        QCOMPARE(QString::fromStdString(point->GetString()), QStringLiteral("line one\ntwo"));
        QCOMPARE(std::tuple(point->GetLayout().align, point->GetLayout().lineSpacing, point->IsWrapped()),
                 std::tuple(kAlignCentre, 150u, false));
        // Moved back onto the face, two lines high.
        QVERIFY(point->GetMaxX() <= 300 && point->GetHeight() > 2 * static_cast<int>(point->GetSize()));
        QCOMPARE(std::tuple(box->IsWrapped(), box->GetMinX(), box->GetMaxY(), box->GetWidth()),
                 std::tuple(true, 20, 100, 100));
    }

    void propertiesStepsOverTwoTextsAndKeepsARefusedPage()
    {
        DrawText(20, 180, QStringLiteral("First"));
        DrawText(20, 100, QStringLiteral("Second"));
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
        QCOMPARE(int(Front().GetObjectCount()), 2);
        Run(ID_TOOL_SELECT);
        DragFace(5, 195, 295, 5);  // rubber band over both
        QCOMPARE(LayoutEdit::CountSelected(Front()), 2);
        const int firstWidth = Front().GetObject(0)->GetMaxX() - Front().GetObject(0)->GetMinX();

        int round = 0;
        CVtwinView::SetPropertiesRunner([&](CObjectPropertiesDialog& dialog) {
            ++round;
            Check(ShowActive(dialog), QStringLiteral("shown"));
            Check(dialog.PageCount() == 2, QStringLiteral("two pages"));
            auto* one = dialog.Page(0)->findChild<CTextPropertyPage*>();
            auto* two = dialog.Page(1)->findChild<CTextPropertyPage*>();
            Check(one && two, QStringLiteral("text pages"));
            if (!one || !two)
                return false;
            Check(one->TextField()->toPlainText() == QStringLiteral("First"), one->TextField()->toPlainText());
            Check(two->TextField()->toPlainText() == QStringLiteral("Second"), two->TextField()->toPlainText());
            QPushButton* backButton = nullptr;
            QPushButton* nextButton = nullptr;
            for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
                if (b->text() == QStringLiteral("< &Back"))
                    backButton = b;
                if (b->text() == QStringLiteral("&Next >"))
                    nextButton = b;
            }
            Check(backButton && nextButton, QStringLiteral("Back and Next"));
            if (!backButton || !nextButton)
                return false;
            Check(!backButton->isEnabled() && nextButton->isEnabled(), QStringLiteral("first page buttons"));
            Check(HasFocus(one->TextField()), QStringLiteral("page 1 text has the focus"));
            if (round == 1)
                return false;  // Cancel leaves both texts alone

            // Page 1: a blank size keeps the user on the page, focus in the size.
            Retype(one->TextField(), QStringLiteral("One"));
            one->SizeCombo()->setEditText(QString());
            nextButton->click();
            Check(dialog.CurrentPage() == 0, QStringLiteral("refused page stays"));
            CheckMessages({"Size is blank."});
            Check(HasFocus(one->SizeCombo()), QStringLiteral("focus in the blank size"));
            one->SizeCombo()->setEditText(QStringLiteral("20"));
            nextButton->click();
            Check(dialog.CurrentPage() == 1, QStringLiteral("on to page 2"));
            Check(backButton->isEnabled() && !nextButton->isEnabled(), QStringLiteral("last page buttons"));
            Check(HasFocus(two->TextField()), QStringLiteral("page 2 text has the focus"));
            // Page 2 emptied: Back is refused too.
            Retype(two->TextField(), QString());
            backButton->click();
            Check(dialog.CurrentPage() == 1, QStringLiteral("empty text stays"));
            CheckMessages({"Size is blank.", "Please enter some Text."});
            Check(HasFocus(two->TextField()), QStringLiteral("focus in the empty text"));
            QTest::keyClicks(two->TextField(), QStringLiteral("Two"));
            backButton->click();
            Check(dialog.CurrentPage() == 0, QStringLiteral("back to page 1"));
            // OK from page 1 with page 2 refused: page 2 comes to the front
            // with the focus in its field, and nothing is applied yet.
            two->SizeCombo()->setEditText(QStringLiteral("300"));
            dialog.accept();
            Check(dialog.result() != QDialog::Accepted, QStringLiteral("OK refused"));
            Check(dialog.CurrentPage() == 1, QStringLiteral("refused page shown"));
            CheckMessages({"Size is blank.", "Please enter some Text.", "Size must be between 1 and 255."});
            Check(HasFocus(two->SizeCombo()), QStringLiteral("focus in page 2's size"));
            two->SizeCombo()->setEditText(QStringLiteral("16"));
            dialog.accept();
            return dialog.result() == QDialog::Accepted;
        });
        Run(ID_OBJECT_PROPERTIES);
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
        // Cancelled: still only the two texts (selecting is no undo step).
        QCOMPARE(CUndoStore::Instance().GetUndoCount(), std::size_t(2));
        QCOMPARE(Front().GetObject(0)->GetMaxX() - Front().GetObject(0)->GetMinX(), firstWidth);

        Run(ID_OBJECT_PROPERTIES);
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
        QCOMPARE(TopUndo(), QStringLiteral("Properties Objects"));
        auto* a = dynamic_cast<CDrawText*>(Front().GetObject(0));
        auto* b = dynamic_cast<CDrawText*>(Front().GetObject(1));
        QVERIFY(a && b);
        QCOMPARE(std::tuple(a->GetString(), a->GetSize(), b->GetString(), b->GetSize()),
                 std::tuple(std::string("One"), 20u, std::string("Two"), 16u));
        // Each box follows its new size, from the same top-left corner.
        QCOMPARE((std::array{a->GetMinX(), a->GetMaxY(), a->GetMinY(), b->GetMaxY() - b->GetMinY()}),
                 (std::array{20, 180, 180 - 22, 18}));
        Run(ID_EDIT_UNDO);
        QCOMPARE(QString::fromStdString(Front().GetObject(0)->GetText()), QStringLiteral("First"));
    }
};

QTEST_MAIN(CObjectDialogsTest)
#include "object_dialogs.moc"
