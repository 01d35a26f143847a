#include "ui/wizard/PagesPage.h"

#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "properties/PageChecks.h"
#include "properties/settings/SettingTable.h"
#include "ui/widgets/ColorButton.h"
#include "ui/wizard/WizardControls.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace WizardControls;

namespace {

class CPagesPage final : public CWizardPage {
public:
    CPagesPage(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        const PagesPageValues d;
        auto* layout = new QVBoxLayout(this);
        auto* paper = new QGroupBox(QStringLiteral("Paper Color"), this);
        auto* paperLayout = new QHBoxLayout(paper);
        m_paper = ColourButton(QStringLiteral("&Color"), d.paperColor, QStringLiteral("paperColor"), paper);
        paperLayout->addWidget(m_paper);
        layout->addWidget(paper);
        m_edges = new QCheckBox(QStringLiteral("P&age Edges"), this);
        m_edges->setObjectName(QStringLiteral("pageEdges"));
        layout->addWidget(m_edges);
        auto* edge = new QGroupBox(QStringLiteral("Page Edge Color"), this);
        auto* edgeLayout = new QHBoxLayout(edge);
        m_edge = ColourButton(QStringLiteral("C&olor"), d.edgeColor, QStringLiteral("edgeColor"), edge);
        edgeLayout->addWidget(m_edge);
        layout->addWidget(edge);
        auto* depth = new QGroupBox(QStringLiteral("Size as a Percentage of Depth"), this);
        auto* form = new QFormLayout(depth);
        const char* labels[3] = {"&Front Cover", "&Pages", "Back Cover"};
        const int values[3] = {d.frontCover, d.pages, d.backCover};
        for (int i = 0; i < 3; ++i) {
            m_fields[i] = new QLineEdit(QString::number(values[i]), depth);
            m_fields[i]->setObjectName(QStringLiteral("depth%1").arg(i));
            form->addRow(QString::fromLatin1(labels[i]), m_fields[i]);
            connect(m_fields[i], &QLineEdit::textChanged, this, [this] {
                UpdateTotal();
                emit canGoOnChanged();
            });
        }
        m_total = new QLabel(depth);
        m_total->setObjectName(QStringLiteral("total"));
        form->addRow(QStringLiteral("TOTAL"), m_total);
        layout->addWidget(depth);
        layout->addStretch(1);
        connect(m_edges, &QCheckBox::toggled, m_edge, &QWidget::setEnabled);
        m_edge->setEnabled(false);
        UpdateTotal();
    }

    bool CanGoOn() const override { return m_canGoOn; }

    bool Leave(NewProjectAnswers& answers) override
    {
        if (!m_canGoOn)
            return false;
        PagesPageValues v;
        v.paperColor = m_paper->Color();
        v.pageEdges = m_edges->isChecked();
        v.edgeColor = m_edge->Color();
        v.frontCover = m_fields[0]->text().trimmed().toInt();
        v.pages = m_fields[1]->text().trimmed().toInt();
        v.backCover = m_fields[2]->text().trimmed().toInt();
        answers.pages = v;
        return true;
    }

private:
    void UpdateTotal()
    {
        const PagesTotal t = GetPagesTotal(m_fields[0]->text().toStdString(), m_fields[1]->text().toStdString(),
                                           m_fields[2]->text().toStdString());
        m_total->setText(Q(t.text));
        m_canGoOn = t.canGoOn;
    }

    CColorButton* m_paper = nullptr;
    CColorButton* m_edge = nullptr;
    QCheckBox* m_edges = nullptr;
    QLineEdit* m_fields[3] = {};
    QLabel* m_total = nullptr;
    bool m_canGoOn = true;
};

} // namespace

CWizardPage* CreatePagesPage(const QString& title, QWidget* parent) { return new CPagesPage(title, parent); }
