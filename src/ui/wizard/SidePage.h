#pragma once
// The wizard page of one side's appearance (side letter `letter`): style, colours, picture.

#include "ui/wizard/WizardPage.h"

#include "catalogue/NewProject.h"

class CAppFolders;
class CProduct;

CWizardPage* CreateSidePage(const QString& title, char letter, const CAppFolders& folders, const ModelEntry& entry,
                            const CProduct& product, QWidget* parent);
