#include "ui/wizard/BinderPage.h"

#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "properties/settings/SettingTable.h"
#include "ui/widgets/ColorButton.h"
#include "ui/wizard/WizardControls.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>

using namespace WizardControls;

namespace {

class CBinderPage final : public CWizardPage {
public:
    CBinderPage(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        auto* form = new QFormLayout(this);
        m_type = ChoiceCombo(ChoiceList::BinderType, 0, QStringLiteral("binderType"), this);
        form->addRow(QStringLiteral("Binder &Type"), m_type);
        m_colour = ColourButton(QStringLiteral("&Color"), 0x000000, QStringLiteral("binderColor"), this);
        form->addRow(QString(), m_colour);
        m_example = new QLabel(this);
        m_example->setObjectName(QStringLiteral("example"));
        m_example->setMinimumHeight(60);
        form->addRow(QStringLiteral("Example"), m_example);
        connect(m_type, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int) { UpdateExample(); });
        connect(m_colour, &CColorButton::colorChosen, this, [this](std::uint32_t) { UpdateExample(); });
        UpdateExample();
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        answers.binderType = ComboValue(m_type);
        answers.binderColor = m_colour->Color();
        return true;
    }

private:
    // A sketch of the binding: rings (spiral) or a bar with teeth (comb).
    void UpdateExample()
    {
        const int type = ComboValue(m_type);
        m_colour->setEnabled(type != 0);
        QPixmap pm(160, 60);
        pm.fill(Qt::white);
        QPainter p(&pm);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(20, 10, 120, 40);
        const std::uint32_t c = m_colour->Color();
        const QColor colour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        p.setPen(QPen(colour, 2));
        for (int x = 28; x < 136 && type != 0; x += 10) {
            if (type == 1)
                p.drawEllipse(QPoint(x, 10), 3, 6);
            else
                p.drawLine(x, 4, x, 14);
        }
        if (type == 2)
            p.drawLine(24, 4, 134, 4);
        p.end();
        m_example->setPixmap(pm);
    }

    QComboBox* m_type = nullptr;
    CColorButton* m_colour = nullptr;
    QLabel* m_example = nullptr;
};

} // namespace

CWizardPage* CreateBinderPage(const QString& title, QWidget* parent) { return new CBinderPage(title, parent); }
