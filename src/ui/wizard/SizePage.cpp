#include "ui/wizard/SizePage.h"

#include "catalogue/product/Product.h"
#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "properties/PageChecks.h"
#include "properties/settings/SettingTable.h"
#include "ui/wizard/WizardControls.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

using namespace WizardControls;

namespace {

class CSizePage final : public CWizardPage {
public:
    CSizePage(const QString& title, const ModelEntry& entry, const CProduct& product, QWidget* parent)
        : CWizardPage(title, parent), m_entry(entry), m_binder(product.HasBinding() != 0),
          m_hasCD(product.HasCDROM() != 0)
    {
        auto* form = new QFormLayout(this);
        const int values[3] = {entry.width, entry.height, entry.depth};
        const char* labels[3] = {"&Width", "&Height", "&Depth"};
        const char* names[3] = {"width", "height", "depth"};
        for (int i = 0; i < 3; ++i) {
            const DimensionField f = GetDimensionField(values[i]);
            m_fields[i] = new QLineEdit(QString::number(f.value), this);
            m_fields[i]->setObjectName(QString::fromLatin1(names[i]));
            m_fields[i]->setEnabled(f.enabled);
            auto* unit = new QLabel(QStringLiteral("mm"), this);
            auto* row = new QHBoxLayout;
            row->addWidget(m_fields[i]);
            row->addWidget(unit);
            // The label's mnemonic leads to the field, not to the row around it.
            auto* label = new QLabel(QString::fromLatin1(labels[i]), this);
            label->setBuddy(m_fields[i]);
            form->addRow(label, row);
            if (!f.visible) {
                m_fields[i]->hide();
                unit->hide();
                label->hide();
            }
        }
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        SizePageControls c;
        c.catalogueWidth = m_entry.width;
        c.catalogueHeight = m_entry.height;
        c.catalogueDepth = m_entry.depth;
        c.widthText = m_fields[0]->text().toStdString();
        c.heightText = m_fields[1]->text().toStdString();
        c.depthText = m_fields[2]->text().toStdString();
        c.binder = m_binder;
        c.hasCD = m_hasCD;
        SizePageValues stored;
        const PageLeave r = LeaveSizePage(c, [this](const std::string& q) { return AskYesNo(this, q); }, stored);
        if (Refused(this, r)) {
            if (r.focusField >= 0 && r.focusField < 3)
                FocusField(m_fields[r.focusField]);
            return false;
        }
        answers.size = stored;
        return true;
    }

private:
    ModelEntry m_entry;
    bool m_binder, m_hasCD;
    QLineEdit* m_fields[3] = {};
};

} // namespace

CWizardPage* CreateSizePage(const QString& title, const ModelEntry& entry, const CProduct& product, QWidget* parent)
{
    return new CSizePage(title, entry, product, parent);
}
