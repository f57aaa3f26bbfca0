#pragma once

#include <QDialog>

#include "UserInterface.h"

class QLabel;
class QPushButton;

// The import's question about a value it cannot store: the error's text,
// centred and word-wrapped, under the caption "Ошибка", with "Пропустить",
// "Пропустить все" and "Прервать". Closing it by other means aborts.
class TQuestMessForm final : public QDialog
{
    Q_OBJECT
public:
    explicit TQuestMessForm(const QString& text, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TQuestMessForm)

    // Shows the question modally and returns the answer.
    static TSkipAnswer AskSkip(const QString& text, QWidget* parent = nullptr);

    QLabel* textLabel() const { return m_text; }
    QPushButton* skipButton() const { return m_skip; }
    QPushButton* skipAllButton() const { return m_skipAll; }
    QPushButton* abortButton() const { return m_abort; }

private:
    QLabel* m_text = nullptr;
    QPushButton* m_skip = nullptr;
    QPushButton* m_skipAll = nullptr;
    QPushButton* m_abort = nullptr;
};
