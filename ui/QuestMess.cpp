#include "QuestMess.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TQuestMessForm::TQuestMessForm(const QString& text, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Ошибка"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_text = new QLabel(text, this);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(320);
    m_skip = new QPushButton(QStringLiteral("Пропустить"), this);
    m_skipAll = new QPushButton(QStringLiteral("Пропустить все"), this);
    m_abort = new QPushButton(QStringLiteral("Прервать"), this);
    m_skip->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {m_skip, m_skipAll, m_abort})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_skip, &QPushButton::clicked, this, [this] { done(int(TSkipAnswer::Skip)); });
    connect(m_skipAll, &QPushButton::clicked, this, [this] { done(int(TSkipAnswer::SkipAll)); });
    connect(m_abort, &QPushButton::clicked, this, [this] { done(int(TSkipAnswer::Abort)); });
}

TSkipAnswer TQuestMessForm::AskSkip(const QString& text, QWidget* parent)
{
    TQuestMessForm form(text, parent);
    const int result = form.exec();
    if (result == int(TSkipAnswer::Skip) || result == int(TSkipAnswer::SkipAll))
        return TSkipAnswer(result);
    // Escape, the close button and every other way out.
    return TSkipAnswer::Abort;
}
