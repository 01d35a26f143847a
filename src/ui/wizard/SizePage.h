#pragma once
// The wizard page of the product's width, height and depth.

#include "ui/wizard/WizardPage.h"

#include "catalogue/NewProject.h"

class CProduct;

CWizardPage* CreateSizePage(const QString& title, const ModelEntry& entry, const CProduct& product, QWidget* parent);
