#pragma once
// The wizard page of the pages' appearance.

#include "ui/wizard/WizardPage.h"

CWizardPage* CreatePagesPage(const QString& title, QWidget* parent);
