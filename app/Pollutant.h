#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TOwnPollutants;

// The small dialog in which the user adds a pollutant of his own to the
// classifier, or changes the name and the statistics mark of one: code,
// name, "для статистики". "Принять" hands the entry to TOwnPollutants and
// closes only when it was taken; a refusal is shown in an error box and the
// dialog stays open with the user's text. "Отмена" changes nothing.
class TPollutantForm final : public QDialog
{
    Q_OBJECT
public:
    // Adds a new entry.
    TPollutantForm(TOwnPollutants& pollutants, QWidget* parent = nullptr);
    // Changes the own entry of the code (the code itself stays).
    TPollutantForm(TOwnPollutants& pollutants, int code, const QString& name, bool stat,
                   QWidget* parent = nullptr);
    ~TPollutantForm() override;
    Q_DISABLE_COPY_MOVE(TPollutantForm)

    QLineEdit* codeEdit() const { return m_code; }
    QLineEdit* nameEdit() const { return m_name; }
    QCheckBox* statBox() const { return m_stat; }
    QPushButton* acceptButton() const { return m_accept; }
    QPushButton* cancelButton() const { return m_cancel; }
    // The code of the entry taken; 0 until "Принять" succeeded.
    int takenCode() const { return m_takenCode; }

private:
    void build(const QString& title);
    void take();

    TOwnPollutants& m_pollutants;
    bool m_change = false;
    int m_takenCode = 0;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_name = nullptr;
    QCheckBox* m_stat = nullptr;
    QPushButton* m_accept = nullptr;
    QPushButton* m_cancel = nullptr;
};
