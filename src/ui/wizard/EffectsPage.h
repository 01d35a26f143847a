#pragma once
// The wizard page of shadows and reflections: shadows, lights, table, reflection.

#include "ui/wizard/WizardPage.h"

CWizardPage* CreateEffectsPage(const QString& title, QWidget* parent);
