#pragma once
// Message boxes of the program. Tests replace the presenter so that no modal
// box blocks them; they then read what would have been shown.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

enum class EMessageIcon { Information, Warning, Error, Question };

// Shows a message with an OK button.
void ShowMessage(QWidget* parent, const QString& text, EMessageIcon icon = EMessageIcon::Information);

// Asks a question; answers are Yes / No / Cancel (Cancel only when `withCancel`).
// `preselected` is the default button (the one Enter presses).
enum class EAnswer { Yes, No, Cancel };
EAnswer AskQuestion(QWidget* parent, const QString& text, bool withCancel, EAnswer preselected = EAnswer::Yes);

// Asks with buttons of its own: the index of the button chosen; Escape or
// closing the box answers the last button (the cancelling one).
int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons);

// Test hook: when set, messages and questions go to these instead of a box.
using MessageHook = std::function<void(const QString& text, EMessageIcon icon)>;
using QuestionHook = std::function<EAnswer(const QString& text, bool withCancel)>;
void SetMessageHooks(MessageHook message, QuestionHook question);
using ChoiceHook = std::function<int(const QString& text, const QStringList& buttons)>;
void SetChoiceHook(ChoiceHook choice);
