#pragma once
// The base of the new-project wizard's pages.

#include "catalogue/NewProject.h"

#include <QString>
#include <QWidget>

// One page of the wizard. Leave() reads the controls into the answers and
// refuses (after telling the user) while a value is not acceptable.
class CWizardPage : public QWidget {
    Q_OBJECT
public:
    CWizardPage(const QString& title, QWidget* parent) : QWidget(parent), m_title(title) {}
    const QString& Title() const { return m_title; }
    virtual void Enter(const NewProjectAnswers&) {}
    virtual bool Leave(NewProjectAnswers& answers) = 0;
    // False while the page may not be left (the wizard disables Next).
    virtual bool CanGoOn() const { return true; }

signals:
    void canGoOnChanged();

private:
    QString m_title;
};
