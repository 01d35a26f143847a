#pragma once
// Small pieces the wizard pages and the "New" dialog share: questions and
// refusals, colour buttons, choice lists and thumbnail lists.

#include "properties/PageChecks.h"
#include "properties/settings/SettingTable.h"

#include <QString>
#include <cstdint>
#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;
class CColorButton;

namespace WizardControls {

QString Q(const std::string& s);
// Asks a warning question; No is the default.
bool AskYesNo(QWidget* parent, const std::string& question);
// True (after showing its message) when the page may not be left.
bool Refused(QWidget* page, const PageLeave& r);
// A refused field takes the focus with its text selected, ready to be retyped.
void FocusField(QLineEdit* field);
CColorButton* ColourButton(const QString& text, std::uint32_t colour, const QString& name, QWidget* parent);
QComboBox* ChoiceCombo(ChoiceList list, int value, const QString& name, QWidget* parent);
int ComboValue(const QComboBox* c);
// A list of thumbnails of which one is chosen.
QListWidget* ThumbnailList(const QString& name, QWidget* parent);
void AddThumbnail(QListWidget* list, const QString& text, const QString& key, const QString& picture);
// The key of the chosen thumbnail; empty when none is chosen.
QString ChosenKey(const QListWidget* list);

} // namespace WizardControls
