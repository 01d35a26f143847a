#pragma once
// A wizard page that offers a list of pictures of which one is chosen: the
// sub-picture, the CD-ROM image or the CD position.

#include "ui/wizard/WizardPage.h"

#include <functional>

class QListWidget;

class CListPage final : public CWizardPage {
public:
    using Store = std::function<void(NewProjectAnswers&, const QString& key)>;
    CListPage(const QString& title, const QString& prompt, Store store, QWidget* parent);
    QListWidget* List() const { return m_list; }

    bool Leave(NewProjectAnswers& answers) override;

private:
    Store m_store;
    QListWidget* m_list = nullptr;
};
