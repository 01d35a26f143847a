#include "ui/widgets/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
MessageHook g_messageHook;
QuestionHook g_questionHook;
ChoiceHook g_choiceHook;
}

void SetChoiceHook(ChoiceHook choice)
{
    g_choiceHook = std::move(choice);
}

int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons)
{
    if (g_choiceHook)
        return g_choiceHook(text, buttons);
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("Vantorel"));
    box.setIcon(QMessageBox::Warning);
    box.setText(text);
    QList<QAbstractButton*> made;
    for (int i = 0; i < buttons.size(); ++i)
        made << box.addButton(buttons[i], i + 1 == buttons.size() ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    if (!made.isEmpty())
        box.setEscapeButton(made.last());
    box.exec();
    const int chosen = made.indexOf(box.clickedButton());
    return chosen < 0 ? static_cast<int>(buttons.size()) - 1 : chosen;
}

void SetMessageHooks(MessageHook message, QuestionHook question)
{
    g_messageHook = std::move(message);
    g_questionHook = std::move(question);
}

void ShowMessage(QWidget* parent, const QString& text, EMessageIcon icon)
{
    if (g_messageHook) {
        g_messageHook(text, icon);
        return;
    }
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("Vantorel"));
    box.setText(text);
    switch (icon) {
    case EMessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case EMessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case EMessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case EMessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    box.exec();
}

EAnswer AskQuestion(QWidget* parent, const QString& text, bool withCancel, EAnswer preselected)
{
    if (g_questionHook)
        return g_questionHook(text, withCancel);
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("Vantorel"));
    box.setIcon(QMessageBox::Question);
    box.setText(text);
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    box.setStandardButtons(buttons);
    switch (preselected) {
    case EAnswer::Yes: box.setDefaultButton(QMessageBox::Yes); break;
    case EAnswer::No: box.setDefaultButton(QMessageBox::No); break;
    case EAnswer::Cancel: box.setDefaultButton(withCancel ? QMessageBox::Cancel : QMessageBox::No); break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return EAnswer::Yes;
    case QMessageBox::No: return EAnswer::No;
    default: return EAnswer::Cancel;
    }
}
