#pragma once
// The wizard page of the background size.

#include "ui/wizard/WizardPage.h"

CWizardPage* CreateBackRenderPage(const QString& title, QWidget* parent);
