#include "ui/grid/FacePictureEditor.h"

#include "ground/AppFolders.h"
#include "catalogue/product/SideAppearance.h"
#include "app/VtwinDoc.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"
#include "image/picture/VectorArt.h"
#include "properties/Appearance.h"
#include "layout/objects/DrawObjectList.h"
#include "layout/edit/LayoutSnapshotRecord.h"
#include "ui/dialogs/PictureLibraryDialog.h"
#include "ui/grid/FacePictureRecord.h"
#include "ui/shell/EditService.h"
#include "ui/widgets/ArtworkPage.h"
#include "ui/widgets/MessageBox.h"
#include "ui/widgets/RasterImage.h"
#include "ui/wizard/FitPictureDialog.h"

#include <QApplication>
#include <QFileDialog>

#include <optional>

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
                                        PictureFileFilter());
}
// The chosen file's picture. Artwork (SVG, a PDF page) is drawn at the size
// the face shows it at, as reading the project draws it again, and kept.
std::unique_ptr<CRaster> LoadChosenPicture(const std::string& file, int page, int faceWidth, int faceHeight,
                                           std::shared_ptr<const CVectorArt>& art, std::string& message)
{
    if (!CVectorArt::IsVectorFileName(file))
        return LoadPicture(file, message);
    std::string reason;
    art = CVectorArt::FromFile(file, page, reason);
    std::unique_ptr<CRaster> picture;
    if (art) {
        int width = 0, height = 0;
        GetArtPictureSize(art->GetWidth(), art->GetHeight(), faceWidth, faceHeight, width, height);
        picture = art->Rasterise(width, height);
    }
    if (!picture) {
        message = "Could not load " + file + " - " + (reason.empty() ? "file may be corrupted." : reason + ".");
        return nullptr;
    }
    picture->AlphaDelete();  // clear parts are white, as on paper
    return picture;
}
// The face's present size is that of the picture it shows (the draw
// objects are placed on it); a face without one takes its stored size.
void PresentFaceSize(const CSide& side, int& faceWidth, int& faceHeight)
{
    const SettingStore& s = side.GetSettings();
    const int magnification = std::max(1, s.GetInt(SideKey(kSideMagnification)));
    const CRaster* shown = side.GetPicture();
    faceWidth = shown && shown->IsValid() ? shown->GetWidth() : 0;
    faceHeight = shown && shown->IsValid() ? shown->GetHeight() : 0;
    if (faceWidth <= 0 || faceHeight <= 0) {
        faceWidth = std::max(1, s.GetInt(SideKey(kSideBaseWidth))) * magnification;
        faceHeight = std::max(1, s.GetInt(SideKey(kSideBaseHeight))) * magnification;
    }
}

// The face picture made of the chosen one as `fit` says; null when there is
// no memory for it.
std::unique_ptr<CRaster> FitChosenPicture(const CRaster& picture, int faceWidth, int faceHeight, int fit)
{
    if (fit != kFitNone) {
        // Stretching gives the face's size; keeping a part crops the picture
        // at its own resolution to the face's proportions.
        return FitPicture(picture, faceWidth, faceHeight, fit);
    }
    // The same proportions: the picture is scaled over the face, so the
    // face keeps its size and the draw objects stay where they are.
    const QImage scaled =
        RasterToQImage(picture).scaled(faceWidth, faceHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    auto built = std::make_unique<CRaster>();
    if (scaled.isNull() || !QImageToRaster(scaled, *built))
        built.reset();
    return built;
}
} // namespace

void SetFacePictureChooser(FacePictureChooser chooser) { Chooser() = std::move(chooser); }

bool EditFacePicture(QWidget* parent, CEditService* edits, char face)
{
    CVtwinDoc* doc = edits ? edits->Document() : nullptr;
    CProduct* product = doc ? doc->GetProduct() : nullptr;
    if (!product)
        return false;
    const std::string key(1, face);
    CSide* side = product->FindSidePtr(key);
    if (!side)
        return false;
    const QString faceName = QString::fromLatin1(GetSideName(key));
    edits->ShowStatus(QStringLiteral("Editing ") + faceName + QStringLiteral(" Image"));
    const QString file = AskForPicture(parent, edits->Folders(), faceName);
    edits->ShowStatus(QString());
    if (file.isEmpty())
        return false;

    const std::optional<int> page = AskArtworkPage(parent, file);
    if (!page)
        return false;
    const SettingStore& s = side->GetSettings();
    const int magnification = std::max(1, s.GetInt(SideKey(kSideMagnification)));
    int faceWidth = 0, faceHeight = 0;
    PresentFaceSize(*side, faceWidth, faceHeight);
    std::string message;
    std::shared_ptr<const CVectorArt> art;
    std::unique_ptr<CRaster> picture = LoadChosenPicture(file.toStdString(), *page, faceWidth, faceHeight, art, message);
    if (!picture) {
        ShowMessage(parent, QString::fromStdString(message), EMessageIcon::Warning);
        return false;
    }

    // A picture of another aspect ratio is stretched or cropped as the user
    // chooses; the last choice for this face is offered first.
    const int previous =
        s.GetInt(SideKey(kSideAppearance)) == kAppearancePicture ? s.GetInt(SideKey(kSideFitMode)) : kFitStretch;
    const std::optional<int> fit = AskFitPicture(parent, *picture, faceWidth, faceHeight, faceName,
                                                 QString::fromLatin1(product->GetKindName()), previous);
    if (!fit)
        return false;  // cancelled: the face stays as it was

    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<CRaster> built = FitChosenPicture(*picture, faceWidth, faceHeight, *fit);
    QApplication::restoreOverrideCursor();
    if (!built || !built->IsValid()) {
        ShowMessage(parent, QStringLiteral("Out of memory"), EMessageIcon::Warning);
        return false;
    }
    // A picture of another resolution becomes the face at that resolution;
    // the face's objects are scaled with it, so that they keep their place
    // and size on the product.
    const int baseWidth = std::max(1, built->GetWidth() / magnification);
    const int baseHeight = std::max(1, built->GetHeight() / magnification);
    CDrawObjectList* objects = CLayoutSnapshotRecord::FaceList(*doc, key);
    return RunFaceChange(*edits, key, "Modify " + faceName.toStdString() + " Image", [&] {
        if (objects)
            objects->ScaleObjects(faceWidth, faceHeight, built->GetWidth(), built->GetHeight());
        side->Reset(kAppearancePicture, baseWidth, baseHeight, 0xFFFFFF, magnification);
        side->GetSettings().SetInt(SideKey(kSideFitMode), *fit);
        side->SetPicture(std::move(built));
        // Artwork (SVG, PDF) is kept with the face: projects store it and print
        // output draws it as vectors.
        if (art)
            side->SetPictureArt(std::move(art));
        return true;
    });
}
