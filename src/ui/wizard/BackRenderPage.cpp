#include "ui/wizard/BackRenderPage.h"

#include "catalogue/WizardLists.h"
#include "catalogue/WizardPages.h"
#include "image/picture/PictureLoader.h"
#include "image/Raster.h"
#include "properties/PageChecks.h"
#include "properties/PrintSize.h"
#include "properties/settings/SettingTable.h"
#include "ui/wizard/WizardControls.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace WizardControls;

namespace {

class CBackRenderPage final : public CWizardPage {
public:
    CBackRenderPage(const QString& title, QWidget* parent) : CWizardPage(title, parent)
    {
        auto* layout = new QVBoxLayout(this);
        auto* box = new QGroupBox(QStringLiteral("Final Image Size"), this);
        auto* form = new QFormLayout(box);
        m_width = new QLineEdit(QStringLiteral("400"), box);
        m_width->setObjectName(QStringLiteral("renderWidth"));
        m_height = new QLineEdit(QStringLiteral("400"), box);
        m_height->setObjectName(QStringLiteral("renderHeight"));
        for (const auto& [text, field] : {std::pair{"&Width", m_width}, std::pair{"&Height", m_height}}) {
            auto* row = new QHBoxLayout;
            row->addWidget(field);
            row->addWidget(new QLabel(QStringLiteral("pixels"), box));
            auto* label = new QLabel(QString::fromLatin1(text), box);
            label->setBuddy(field);
            form->addRow(label, row);
            connect(field, &QLineEdit::textChanged, this, [this] { ShowPrintSize(); });
        }
        // What the pixels come to on paper at the resolution new projects start with.
        m_printSize = new QLabel(box);
        m_printSize->setObjectName(QStringLiteral("printSize"));
        form->addRow(QStringLiteral("Print size"), m_printSize);
        ShowPrintSize();
        layout->addWidget(box);
        m_note = new QLabel(QString::fromLatin1(kBackRenderFixedNote), this);
        m_note->setWordWrap(true);
        m_note->hide();
        layout->addWidget(m_note);
        layout->addStretch(1);
    }

    void Enter(const NewProjectAnswers& answers) override
    {
        m_fixed = false;
        if (answers.background.type == 0 && !answers.background.pictureFile.empty()) {
            std::string message;
            if (std::unique_ptr<CRaster> picture = LoadPicture(answers.background.pictureFile, message)) {
                m_fixed = true;
                m_pw = picture->GetWidth();
                m_ph = picture->GetHeight();
                m_width->setText(QString::number(m_pw));
                m_height->setText(QString::number(m_ph));
            }
        }
        m_width->setEnabled(!m_fixed);
        m_height->setEnabled(!m_fixed);
        m_note->setVisible(m_fixed);
    }

    bool Leave(NewProjectAnswers& answers) override
    {
        BackRenderControls c;
        c.widthText = m_width->text().toStdString();
        c.heightText = m_height->text().toStdString();
        c.fixedByPicture = m_fixed;
        c.pictureWidth = m_pw;
        c.pictureHeight = m_ph;
        BackRenderValues v;
        const PageLeave r = LeaveBackRenderPage(c, v);
        if (Refused(this, r)) {
            FocusField(r.focusField == 1 ? m_height : m_width);
            return false;
        }
        answers.renderWidth = v.width;
        answers.renderHeight = v.height;
        return true;
    }

private:
    void ShowPrintSize()
    {
        bool wOk = false, hOk = false;
        const int w = m_width->text().trimmed().toInt(&wOk);
        const int h = m_height->text().trimmed().toInt(&hOk);
        auto inRange = [](int v) { return v >= kMinRenderSide && v <= kMaxRenderSide; };
        const SettingInfo* resolution = FindSetting(kSetResolution);
        if (!wOk || !hOk || !inRange(w) || !inRange(h) || !resolution) {
            m_printSize->clear();
            return;
        }
        m_printSize->setText(QString::fromStdString(FormatPrintSize(w, h, resolution->defaultInt)));
    }

    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
    QLabel* m_note = nullptr;
    QLabel* m_printSize = nullptr;
    bool m_fixed = false;
    int m_pw = 0, m_ph = 0;
};

} // namespace

CWizardPage* CreateBackRenderPage(const QString& title, QWidget* parent) { return new CBackRenderPage(title, parent); }
