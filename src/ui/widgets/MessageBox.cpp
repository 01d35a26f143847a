#include "ui/widgets/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MessageHook g_messageHook;
QuestionHook g_questionHook;
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
