#include "Pollutant.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "OwnPollutants.h"
#include "UserInterface.h"

TPollutantForm::TPollutantForm(TOwnPollutants& pollutants, QWidget* parent)
    : QDialog(parent)
    , m_pollutants(pollutants)
{
    build(QStringLiteral("Добавление вещества"));
}

TPollutantForm::TPollutantForm(TOwnPollutants& pollutants, int code, const QString& name, bool stat,
                               QWidget* parent)
    : QDialog(parent)
    , m_pollutants(pollutants)
    , m_change(true)
{
    build(QStringLiteral("Изменение вещества"));
    m_code->setText(QString::number(code));
    m_code->setReadOnly(true);
    m_code->setFocusPolicy(Qt::NoFocus);
    m_name->setText(name);
    m_stat->setChecked(stat);
    m_name->setFocus();
}

TPollutantForm::~TPollutantForm() = default;

void TPollutantForm::build(const QString& title)
{
    setObjectName(QStringLiteral("PollutantForm"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    m_code = new QLineEdit(this);
    m_code->setObjectName(QStringLiteral("CodeEdit"));
    m_code->setMaxLength(4);
    m_code->setValidator(new QIntValidator(0, TOwnPollutants::MaxCode, m_code));
    m_code->setFixedWidth(m_code->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    form->addRow(QStringLiteral("Код:"), m_code);

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("NameEdit"));
    m_name->setMaxLength(TOwnPollutants::NameLength);
    m_name->setMinimumWidth(
        m_name->fontMetrics().horizontalAdvance(QString(TOwnPollutants::NameLength, QChar(0x430))));
    form->addRow(QStringLiteral("Наименование:"), m_name);

    m_stat = new QCheckBox(QStringLiteral("для статистики"), this);
    m_stat->setObjectName(QStringLiteral("StatBox"));
    m_stat->setToolTip(QStringLiteral(
        "Вещество показывается в форме для статистики отдельной строкой, а не в строке 8888"));
    form->addRow(QString(), m_stat);

    auto* buttons = new QDialogButtonBox(this);
    m_accept = buttons->addButton(QStringLiteral("Принять"), QDialogButtonBox::AcceptRole);
    m_accept->setObjectName(QStringLiteral("AcceptButton"));
    m_accept->setDefault(true);
    m_cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TPollutantForm::take);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TPollutantForm::take()
{
    QLineEdit* offending = m_code;
    const bool taken = RunAtEdge([&] {
        try {
            const int code = TOwnPollutants::ParseCode(m_code->text());
            offending = m_name;
            if (m_change)
                m_pollutants.Change(code, m_name->text(), m_stat->isChecked());
            else
                m_pollutants.Add(code, m_name->text(), m_stat->isChecked());
            m_takenCode = code;
        } catch (const TPollutantRefused& refused) {
            // A taken code is the code's fault, anything else the name's.
            if (refused.message().contains(QStringLiteral("код"), Qt::CaseInsensitive))
                offending = m_code;
            userInterface().showError(refused.message());
        }
    });
    if (taken && m_takenCode != 0) {
        accept();
        return;
    }
    if (!offending->isReadOnly()) {
        offending->setFocus();
        offending->selectAll();
    }
}
