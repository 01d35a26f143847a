#include "ui/render/RenderCompleteBar.h"

#include "render/output/RenderFileFlow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CRenderCompleteBar::CRenderCompleteBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("renderCompleteBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 6, 8, 6);
    outer->setSpacing(4);
    auto* row = new QHBoxLayout;
    // The question wraps on a narrow window rather than being cut.
    auto* question = new QLabel(
        QStringLiteral("<b>Rendering Complete</b>&nbsp;&nbsp; Would you like to copy the rendered image?"), this);
    question->setObjectName(QStringLiteral("renderCompleteQuestion"));
    question->setWordWrap(true);
    question->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    row->addWidget(question, 1);
    m_copy = new QPushButton(QStringLiteral("Yes - &Copy to Clipboard"), this);
    m_save = new QPushButton(QStringLiteral("Yes - Save to &File"), this);
    m_no = new QPushButton(QStringLiteral("&No"), this);
    for (QPushButton* b : {m_copy, m_save, m_no}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    outer->addLayout(row);
    m_check = new QCheckBox(
        QStringLiteral("&Do not ask again\n(I will do it myself using the Render menu, when I'm ready)."), this);
    outer->addWidget(m_check);
    connect(m_copy, &QPushButton::clicked, this, [this] { Choose(kRenderCompleteCopy); });
    connect(m_save, &QPushButton::clicked, this, [this] { Choose(kRenderCompleteSave); });
    connect(m_no, &QPushButton::clicked, this, [this] { Choose(kRenderCompleteNo); });
    hide();
}

void CRenderCompleteBar::Offer()
{
    m_check->setChecked(false);
    show();
}

QPushButton* CRenderCompleteBar::Button(int choice) const
{
    switch (choice) {
    case kRenderCompleteCopy: return m_copy;
    case kRenderCompleteSave: return m_save;
    default: return m_no;
    }
}

void CRenderCompleteBar::Choose(int choice)
{
    const bool dontAsk = m_check->isChecked();
    hide();
    emit chosen(choice, dontAsk);
}
