#include "ui/dialogs/FaceAppearanceDialog.h"

#include "app/VtwinDoc.h"
#include "catalogue/product/FaceMeasure.h"
#include "catalogue/product/Product.h"
#include "catalogue/product/Side.h"
#include "layout/face/FaceAppearance.h"
#include "ui/grid/FacePictureRecord.h"
#include "ground/AppFolders.h"
#include "ui/shell/EditService.h"
#include "ui/widgets/MessageBox.h"
#include "ui/wizard/SidePage.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

bool EditFaceAppearance(QWidget* parent, CEditService& edits)
{
    CVtwinDoc* doc = edits.Document();
    CProduct* product = doc ? doc->GetProduct() : nullptr;
    const std::string key = edits.CurrentFaceKey();
    const CSide* side = product && key.size() == 1 ? product->FindSidePtr(key) : nullptr;
    const CAppFolders* folders = edits.Folders();
    if (!side || !folders)
        return false;
    const QString faceName = QString::fromLatin1(GetSideName(key));
    int width = 0, height = 0;
    GetFacePictureSize(*product, key, width, height);

    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FaceAppearanceDialog"));
    dialog.setWindowTitle(faceName + QStringLiteral("'s Appearance"));
    auto* layout = new QVBoxLayout(&dialog);
    CWizardPage* page = CreateFaceAppearancePage(key[0], *folders, *product, GetFaceAppearance(*side),
                                                 QSize(width, height), &dialog);
    layout->addWidget(page, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    bool changed = false;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        NewProjectAnswers answers;
        if (!page->Leave(answers))
            return;  // the page told the user why
        const SideAppearanceAnswer& answer = key == "G" ? answers.background : answers.sides[key[0]];
        std::string error;
        changed = RunFaceChange(edits, key, "Modify " + faceName.toStdString() + " Appearance", [&] {
            return SetFaceAppearance(*folders, *doc, key, answer, error);
        });
        if (!changed && !error.empty()) {
            ShowMessage(&dialog, QString::fromStdString(error), EMessageIcon::Warning);
            return;
        }
        dialog.accept();
    });
    dialog.resize(640, 480);
    dialog.exec();
    return changed;
}
