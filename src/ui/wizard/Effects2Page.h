#pragma once
// The wizard page of special effects: bevel, borders, colour effect, lens flare.

#include "ui/wizard/WizardPage.h"

CWizardPage* CreateEffects2Page(const QString& title, QWidget* parent);
