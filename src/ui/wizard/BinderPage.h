#pragma once
// The wizard page of the binding style.

#include "ui/wizard/WizardPage.h"

CWizardPage* CreateBinderPage(const QString& title, QWidget* parent);
