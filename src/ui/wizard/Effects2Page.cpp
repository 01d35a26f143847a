#include "ui/wizard/Effects2Page.h"

#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "properties/PageChecks.h"
#include "properties/settings/SettingTable.h"
#include "ui/widgets/ColorButton.h"
#include "ui/wizard/WizardControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

using namespace WizardControls;

namespace {

class CEffects2Page final : public CWizardPage {
public:
    CEffects2Page(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        const Effects2PageControls d;
        auto* grid = new QGridLayout(this);
        auto check = [this](const QString& text, const QString& name) {
            auto* c = new QCheckBox(text, this);
            c->setObjectName(name);
            return c;
        };
        m_bevel = check(QStringLiteral("B&evel"), QStringLiteral("bevel"));
        m_bevelStyle = ChoiceCombo(ChoiceList::BevelStyle, d.bevelStyle, QStringLiteral("bevelStyle"), this);
        m_bevelSize = new QLineEdit(Q(d.bevelSizeText), this);
        m_bevelSize->setObjectName(QStringLiteral("bevelSize"));
        m_bevelColour = ColourButton(QStringLiteral("Color"), d.bevelColor, QStringLiteral("bevelColor"), this);
        grid->addWidget(m_bevel, 0, 0);
        grid->addWidget(m_bevelStyle, 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("Bevel Size"), this), 0, 2);
        grid->addWidget(m_bevelSize, 0, 3);
        grid->addWidget(new QLabel(QStringLiteral("pixels"), this), 0, 4);
        grid->addWidget(m_bevelColour, 0, 5);

        m_borders = check(QStringLiteral("B&orders"), QStringLiteral("borders"));
        m_borderSize = new QLineEdit(Q(d.borderSizeText), this);
        m_borderSize->setObjectName(QStringLiteral("borderSize"));
        m_borderColour = ColourButton(QStringLiteral("Color"), d.borderColor, QStringLiteral("borderColor"), this);
        grid->addWidget(m_borders, 1, 0);
        grid->addWidget(new QLabel(QStringLiteral("Border Size"), this), 1, 2);
        grid->addWidget(m_borderSize, 1, 3);
        grid->addWidget(new QLabel(QStringLiteral("pixels"), this), 1, 4);
        grid->addWidget(m_borderColour, 1, 5);

        m_effect = check(QStringLiteral("&Color Effect"), QStringLiteral("colorEffect"));
        m_effectStyle =
            ChoiceCombo(ChoiceList::ColorEffectStyle, d.colorEffectStyle, QStringLiteral("colorEffectStyle"), this);
        m_effectColour =
            ColourButton(QStringLiteral("Color"), d.colorEffectColor, QStringLiteral("colorEffectColor"), this);
        grid->addWidget(m_effect, 2, 0);
        grid->addWidget(m_effectStyle, 2, 1);
        grid->addWidget(m_effectColour, 2, 5);

        m_flare = check(QStringLiteral("&Lens Flare"), QStringLiteral("lensFlare"));
        m_intensity = new QSlider(Qt::Horizontal, this);
        m_intensity->setObjectName(QStringLiteral("intensity"));
        m_intensity->setRange(50, 200);
        m_intensity->setValue(d.lensFlareIntensity);
        m_flareColour = ColourButton(QStringLiteral("Color"), d.lensFlareColor, QStringLiteral("lensFlareColor"), this);
        m_blending = ChoiceCombo(ChoiceList::LensFlareBlending, d.lensFlareBlending, QStringLiteral("blending"), this);
        grid->addWidget(m_flare, 3, 0);
        grid->addWidget(new QLabel(QStringLiteral("Intensity"), this), 3, 1);
        grid->addWidget(m_intensity, 3, 2, 1, 2);
        grid->addWidget(new QLabel(QStringLiteral("Blending"), this), 4, 1);
        grid->addWidget(m_blending, 4, 2, 1, 2);
        grid->addWidget(m_flareColour, 3, 5);
        grid->setRowStretch(5, 1);

        for (QCheckBox* c : {m_bevel, m_borders, m_effect, m_flare})
            connect(c, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
        connect(m_effectStyle, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int) { UpdateEnabling(); });
        UpdateEnabling();
    }

    void Enter(const NewProjectAnswers& answers) override
    {
        m_renderWidth = answers.renderWidth;
        m_renderHeight = answers.renderHeight;
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        Effects2PageControls c;
        c.bevel = m_bevel->isChecked();
        c.bevelStyle = ComboValue(m_bevelStyle);
        c.bevelSizeText = m_bevelSize->text().toStdString();
        c.bevelColor = m_bevelColour->Color();
        c.borders = m_borders->isChecked();
        c.borderSizeText = m_borderSize->text().toStdString();
        c.borderColor = m_borderColour->Color();
        c.colorEffect = m_effect->isChecked();
        c.colorEffectStyle = ComboValue(m_effectStyle);
        c.colorEffectColor = m_effectColour->Color();
        c.lensFlare = m_flare->isChecked();
        c.lensFlareIntensity = m_intensity->value();
        c.lensFlareColor = m_flareColour->Color();
        c.lensFlareBlending = ComboValue(m_blending);
        Effects2PageValues stored;
        const PageLeave r = LeaveEffects2Page(c, m_renderWidth, m_renderHeight,
                                              [this](const std::string& q) { return AskYesNo(this, q); }, stored);
        if (Refused(this, r)) {
            if (r.focusField == kEffects2FieldBevelSize)
                FocusField(m_bevelSize);
            else if (r.focusField == kEffects2FieldBorderSize)
                FocusField(m_borderSize);
            return false;
        }
        answers.effects2 = stored;
        return true;
    }

private:
    void UpdateEnabling()
    {
        const Effects2PageEnabling e =
            GetEffects2PageEnabling(m_bevel->isChecked(), m_effect->isChecked(), ComboValue(m_effectStyle));
        m_bevelStyle->setEnabled(e.bevelControls);
        m_bevelSize->setEnabled(e.bevelControls);
        m_bevelColour->setEnabled(e.bevelControls);
        m_borderSize->setEnabled(m_borders->isChecked());
        m_borderColour->setEnabled(m_borders->isChecked());
        m_effectStyle->setEnabled(m_effect->isChecked());
        m_effectColour->setEnabled(e.colorEffectColor);
        m_intensity->setEnabled(m_flare->isChecked());
        m_flareColour->setEnabled(m_flare->isChecked());
        m_blending->setEnabled(m_flare->isChecked());
    }

    int m_renderWidth = 400, m_renderHeight = 400;
    QCheckBox* m_bevel = nullptr;
    QComboBox* m_bevelStyle = nullptr;
    QLineEdit* m_bevelSize = nullptr;
    CColorButton* m_bevelColour = nullptr;
    QCheckBox* m_borders = nullptr;
    QLineEdit* m_borderSize = nullptr;
    CColorButton* m_borderColour = nullptr;
    QCheckBox* m_effect = nullptr;
    QComboBox* m_effectStyle = nullptr;
    CColorButton* m_effectColour = nullptr;
    QCheckBox* m_flare = nullptr;
    QSlider* m_intensity = nullptr;
    CColorButton* m_flareColour = nullptr;
    QComboBox* m_blending = nullptr;
};

} // namespace

CWizardPage* CreateEffects2Page(const QString& title, QWidget* parent) { return new CEffects2Page(title, parent); }
