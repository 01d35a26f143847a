#include "ui/wizard/EffectsPage.h"

#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "properties/PageChecks.h"
#include "properties/settings/SettingTable.h"
#include "ui/widgets/ColorButton.h"
#include "ui/wizard/WizardControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace WizardControls;

namespace {

class CEffectsPage final : public CWizardPage {
public:
    CEffectsPage(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        const EffectsPageValues d;
        auto* layout = new QHBoxLayout(this);
        auto* left = new QVBoxLayout;
        m_shadows = new QCheckBox(QStringLiteral("&Shadows"), this);
        m_shadows->setObjectName(QStringLiteral("shadows"));
        m_shadows->setChecked(d.shadows);
        left->addWidget(m_shadows);
        auto* grid = new QGridLayout;
        grid->setSpacing(2);
        for (int c = 0; c < 5; ++c)
            for (int r = 0; r < 5; ++r) {
                auto* b = new QPushButton(this);
                b->setCheckable(true);
            b->setStyleSheet(QStringLiteral("QPushButton:checked { background: #ffd23c; border: 1px solid #7a5c00; }"));
                b->setFixedSize(22, 22);
                b->setObjectName(QStringLiteral("light_%1_%2").arg(c).arg(r));
                b->setChecked(IsLightOn(d.lights, c, r));
                grid->addWidget(b, 4 - r, c);
                m_lights[c][r] = b;
            }
        left->addLayout(grid);
        auto* form = new QFormLayout;
        m_colour = ColourButton(QStringLiteral("&Color"), d.shadowColor, QStringLiteral("shadowColor"), this);
        form->addRow(QString(), m_colour);
        m_style = ChoiceCombo(ChoiceList::ShadowStyle, d.shadowStyle, QStringLiteral("shadowStyle"), this);
        form->addRow(QStringLiteral("S&hadow Style"), m_style);
        m_softness = new QSlider(Qt::Horizontal, this);
        m_softness->setObjectName(QStringLiteral("shadowSoftness"));
        m_softness->setRange(0, 50);
        m_softness->setValue(d.shadowSoftness);
        form->addRow(QStringLiteral("Shadow So&ftness"), m_softness);
        m_table = ChoiceCombo(ChoiceList::TablePosition, d.tablePosition, QStringLiteral("tablePosition"), this);
        form->addRow(QStringLiteral("&Table Position"), m_table);
        left->addLayout(form);
        layout->addLayout(left);

        auto* right = new QVBoxLayout;
        m_reflection = new QCheckBox(QStringLiteral("&Reflection"), this);
        m_reflection->setObjectName(QStringLiteral("reflection"));
        right->addWidget(m_reflection);
        auto* fades = new QFormLayout;
        m_top = new QSlider(Qt::Horizontal, this);
        m_top->setObjectName(QStringLiteral("topFade"));
        m_top->setRange(1, 255);
        m_top->setValue(d.topFade);
        m_bottom = new QSlider(Qt::Horizontal, this);
        m_bottom->setObjectName(QStringLiteral("bottomFade"));
        m_bottom->setRange(1, 255);
        m_bottom->setValue(d.bottomFade);
        fades->addRow(QStringLiteral("Top Fade"), m_top);
        fades->addRow(QStringLiteral("Bottom Fade"), m_bottom);
        right->addLayout(fades);
        m_ripple = new QCheckBox(QStringLiteral("R&ipple"), this);
        m_ripple->setChecked(d.ripple);
        right->addWidget(m_ripple);
        auto* look = new QFormLayout;
        m_shading = new QSlider(Qt::Horizontal, this);
        m_shading->setObjectName(QStringLiteral("shading"));
        m_shading->setRange(0, 100);
        m_shading->setValue(d.shading);
        look->addRow(QStringLiteral("Sh&ading"), m_shading);
        m_filtering = ChoiceCombo(ChoiceList::TextureFiltering, d.textureFiltering, QStringLiteral("textureFiltering"),
                                  this);
        look->addRow(QStringLiteral("Te&xture Filtering"), m_filtering);
        m_framing = new QSpinBox(this);
        m_framing->setObjectName(QStringLiteral("framing"));
        m_framing->setRange(0, 40);
        m_framing->setSuffix(QStringLiteral(" %"));
        m_framing->setValue(d.framing);
        m_framing->setToolTip(QStringLiteral("Space left around the product and its shadow (0: the older fit)"));
        look->addRow(QStringLiteral("Fra&ming"), m_framing);
        m_lighting = ChoiceCombo(ChoiceList::Lighting, d.lighting, QStringLiteral("lighting"), this);
        look->addRow(QStringLiteral("&Lighting"), m_lighting);
        m_backdrop = ChoiceCombo(ChoiceList::Backdrop, d.backdrop, QStringLiteral("backdrop"), this);
        look->addRow(QStringLiteral("Bac&kdrop"), m_backdrop);
        m_finish = ChoiceCombo(ChoiceList::Finish, d.finish, QStringLiteral("finish"), this);
        look->addRow(QStringLiteral("S&urface Finish"), m_finish);
        m_falloff = new QSpinBox(this);
        m_falloff->setObjectName(QStringLiteral("falloff"));
        m_falloff->setRange(0, 40);
        m_falloff->setSuffix(QStringLiteral(" %"));
        m_falloff->setValue(d.falloff);
        m_falloff->setToolTip(QStringLiteral("How much the key light dims across the product (0: even faces)"));
        look->addRow(QStringLiteral("Light Fall-&off"), m_falloff);
        m_edgeRadius = new QSpinBox(this);
        m_edgeRadius->setObjectName(QStringLiteral("edgeRadius"));
        m_edgeRadius->setRange(0, 10);
        m_edgeRadius->setSuffix(QStringLiteral(" mm"));
        m_edgeRadius->setValue(d.edgeRadius);
        m_edgeRadius->setToolTip(QStringLiteral("Rounding of the box's edges and corners (0: sharp)"));
        look->addRow(QStringLiteral("Ed&ge Radius"), m_edgeRadius);
        right->addLayout(look);
        right->addStretch(1);
        layout->addLayout(right);
        connect(m_shadows, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
        connect(m_reflection, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
        UpdateEnabling();
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        EffectsPageValues c;
        c.shadows = m_shadows->isChecked();
        c.lights = 0;
        for (int col = 0; col < 5; ++col)
            for (int r = 0; r < 5; ++r)
                if (m_lights[col][r]->isChecked())
                    c.lights |= LightBit(col, r);
        c.shadowColor = m_colour->Color();
        c.shadowStyle = ComboValue(m_style);
        c.tablePosition = ComboValue(m_table);
        c.reflection = m_reflection->isChecked();
        c.topFade = m_top->value();
        c.bottomFade = m_bottom->value();
        c.ripple = m_ripple->isChecked();
        c.shadowSoftness = m_softness->value();
        c.shading = m_shading->value();
        c.textureFiltering = ComboValue(m_filtering);
        c.framing = m_framing->value();
        c.lighting = ComboValue(m_lighting);
        c.backdrop = ComboValue(m_backdrop);
        c.edgeRadius = m_edgeRadius->value();
        c.finish = ComboValue(m_finish);
        c.falloff = m_falloff->value();
        EffectsPageValues stored;
        if (Refused(this, LeaveEffectsPage(c, stored)))
            return false;
        answers.effects = stored;
        return true;
    }

private:
    void UpdateEnabling()
    {
        const EffectsPageEnabling e = GetEffectsPageEnabling(m_shadows->isChecked(), m_reflection->isChecked());
        for (auto& column : m_lights)
            for (QPushButton* b : column)
                b->setEnabled(e.shadowControls);
        m_colour->setEnabled(e.shadowControls);
        m_style->setEnabled(e.shadowControls);
        m_softness->setEnabled(e.shadowControls);
        m_table->setEnabled(e.shadowControls);
        m_top->setEnabled(e.reflectionControls);
        m_bottom->setEnabled(e.reflectionControls);
        m_ripple->setEnabled(e.reflectionControls);
    }

    QCheckBox* m_shadows = nullptr;
    QPushButton* m_lights[5][5] = {};
    CColorButton* m_colour = nullptr;
    QComboBox* m_style = nullptr;
    QComboBox* m_table = nullptr;
    QCheckBox* m_reflection = nullptr;
    QSlider* m_top = nullptr;
    QSlider* m_bottom = nullptr;
    QCheckBox* m_ripple = nullptr;
    QSlider* m_softness = nullptr;
    QSlider* m_shading = nullptr;
    QComboBox* m_filtering = nullptr;
    QSpinBox* m_framing = nullptr;
    QSpinBox* m_edgeRadius = nullptr;
    QComboBox* m_finish = nullptr;
    QSpinBox* m_falloff = nullptr;
    QComboBox* m_lighting = nullptr;
    QComboBox* m_backdrop = nullptr;
};

} // namespace

CWizardPage* CreateEffectsPage(const QString& title, QWidget* parent) { return new CEffectsPage(title, parent); }
