#pragma once
// The wizard page of one side's appearance (side letter `letter`): style, colours, picture.
// Face > Appearance shows it too, for a face of a project already made.

#include "ui/wizard/WizardPage.h"

#include "catalogue/NewProject.h"

#include <QSize>

class CAppFolders;
class CProduct;

CWizardPage* CreateSidePage(const QString& title, char letter, const CAppFolders& folders, const ModelEntry& entry,
                            const CProduct& product, QWidget* parent);

// The page for a face of a made project: it starts from `present` (the
// face's style, colours, gradient, pattern and scale), and a picture of
// other proportions is fitted to the face's present size in pixels.
CWizardPage* CreateFaceAppearancePage(char letter, const CAppFolders& folders, const CProduct& product,
                                      const SideAppearanceAnswer& present, QSize faceSize, QWidget* parent);
