#include "ui/FacePictureEditor.h"

#include "app/AppFolders.h"
#include "app/SideAppearance.h"
#include "app/SideSnapshotRecord.h"
#include "app/UndoStore.h"
#include "app/VtwinDoc.h"
#include "catalogue/Product.h"
#include "catalogue/Side.h"
#include "image/PictureLoader.h"
#include "image/Raster.h"
#include "ui/MainFrame.h"
#include "ui/MessageBox.h"
#include "ui/PictureLibraryDialog.h"
#include "ui/RasterImage.h"
#include "ui/VtwinView.h"

#include <QApplication>
#include <QFileDialog>

namespace {
FacePictureChooser& Chooser()
{
    static FacePictureChooser chooser;
    return chooser;
}

QString AskForPicture(QWidget* parent, const CAppFolders* folders, const QString& faceName)
{
    if (Chooser())
        return Chooser()();
    if (folders) {
        const EAnswer fromLibrary = AskQuestion(
            parent, QStringLiteral("Would you like to choose the %1 image from the picture library?\n\n"
                                   "Answer No to choose a picture file instead.").arg(faceName),
            true);
        if (fromLibrary == EAnswer::Cancel)
            return {};
        if (fromLibrary == EAnswer::Yes) {
            CPictureLibraryDialog dialog(*folders, parent);
            return dialog.exec() == QDialog::Accepted ? dialog.ChosenFile() : QString();
        }
    }
    return QFileDialog::getOpenFileName(parent, faceName + QStringLiteral(" Image"),
                                        folders ? QString::fromStdString(folders->GetImagesFolder()) : QString(),
                                        QStringLiteral("Pictures (*.bmp *.jpg *.jpeg *.png *.pcx);;All Files (*.*)"));
}
} // namespace

void SetFacePictureChooser(FacePictureChooser chooser) { Chooser() = std::move(chooser); }

bool EditFacePicture(QWidget* parent, CVtwinView* view, CMainFrame* frame, char face)
{
    CVtwinDoc* doc = view ? view->Document() : nullptr;
    CProduct* product = doc ? doc->GetProduct() : nullptr;
    if (!product)
        return false;
    const std::string key(1, face);
    CSide* side = product->FindSidePtr(key);
    if (!side)
        return false;
    const QString faceName = QString::fromLatin1(GetSideName(key));
    if (frame)
        frame->ShowStatus(QStringLiteral("Editing ") + faceName + QStringLiteral(" Image"));
    const QString file = AskForPicture(parent, frame ? frame->Folders() : nullptr, faceName);
    if (frame)
        frame->ShowStatus(QString());
    if (file.isEmpty())
        return false;

    std::string message;
    std::unique_ptr<CRaster> picture = LoadPicture(file.toStdString(), message);
    if (!picture) {
        ShowMessage(parent, QString::fromStdString(message), EMessageIcon::Warning);
        return false;
    }
    // The face keeps its size: the picture is stretched over it, so the draw
    // objects stay where they are (no size-change question is needed).
    const SettingStore& s = side->GetSettings();
    const int magnification = std::max(1, s.GetInt(SideKey(kSideMagnification)));
    // A face without a stored size takes the size of the picture it shows.
    const CRaster* shown = side->GetPicture();
    int baseWidth = s.GetInt(SideKey(kSideBaseWidth));
    int baseHeight = s.GetInt(SideKey(kSideBaseHeight));
    if (baseWidth <= 0 || baseHeight <= 0) {
        baseWidth = shown && shown->IsValid() ? std::max(1, shown->GetWidth() / magnification) : 1;
        baseHeight = shown && shown->IsValid() ? std::max(1, shown->GetHeight() / magnification) : 1;
    }
    const int faceWidth = baseWidth * magnification, faceHeight = baseHeight * magnification;
    auto built = std::make_unique<CRaster>();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QImage scaled = RasterToQImage(*picture).scaled(faceWidth, faceHeight, Qt::IgnoreAspectRatio,
                                                          Qt::SmoothTransformation);
    const bool ok = !scaled.isNull() && QImageToRaster(scaled, *built);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        ShowMessage(parent, QStringLiteral("Out of memory"), EMessageIcon::Warning);
        return false;
    }

    auto record = CSideSnapshotRecord::Create(*doc, key, "Modify " + faceName.toStdString() + " Image",
                                              product->GetKindName());
    if (!record)
        return false;  // the store told the user why
    doc->GetUndoStore().Push(std::move(record), true);
    side->Reset(kAppearancePicture, baseWidth, baseHeight, 0xFFFFFF, magnification);
    side->GetSettings().SetInt(SideKey(kSideFitMode), -1);
    side->SetPicture(std::move(built));

    emit view->renderDataStale();
    view->MarkModified();
    // Shows the face again with its new picture.
    view->SelectTab(view->CurrentTab());
    emit view->commandStateChanged();
    return true;
}
