#include "Find.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "Errors.h"
#include "UserInterface.h"

namespace {

QGroupBox* radioGroup(QWidget* parent, const QString& title, QRadioButton*& first,
                      const QString& firstText, QRadioButton*& second, const QString& secondText)
{
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(3, 2, 1, 2);
    layout->setSpacing(0);
    first = new QRadioButton(firstText, group);
    second = new QRadioButton(secondText, group);
    first->setChecked(true);
    layout->addWidget(first);
    layout->addWidget(second);
    return group;
}

} // namespace

QString NotFoundText(const QString& text)
{
    return QStringLiteral("Текст \"") + text + QStringLiteral("\" не найден.");
}

TFindForm::TFindForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FindForm"));
    setWindowTitle(QStringLiteral("Поиск"));
    setFixedSize(276, 198);
    buildControls();
    connect(m_text, &QLineEdit::textChanged, this, &TFindForm::updateActions);
    connect(m_allRecords, &QCheckBox::clicked, this, &TFindForm::applyAllRecords);
    connect(m_ok, &QPushButton::clicked, this, &TFindForm::findExecute);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    updateActions();
}

TFindForm::~TFindForm() = default;

void TFindForm::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 6, 5, 6);
    layout->setSpacing(3);
    auto* label = new QLabel(QStringLiteral("Текст для поиска"), this);
    m_text = new QLineEdit(this);
    label->setBuddy(m_text);
    layout->addWidget(label);
    layout->addWidget(m_text);

    auto* groups = new QHBoxLayout;
    groups->setSpacing(4);
    m_direction = radioGroup(this, QStringLiteral("Направление"), m_forward,
                             QStringLiteral("Вперед"), m_backward, QStringLiteral("Назад"));
    m_origin =
        radioGroup(this, QStringLiteral("Искать"), m_fromCurrent,
                   QStringLiteral("С текущей позиции"), m_fromStart, QStringLiteral("С начала"));
    // "С текущей позиции" is the widest text; the direction group takes what is left.
    m_origin->setMinimumWidth(m_origin->sizeHint().width());
    groups->addWidget(m_direction);
    groups->addWidget(m_origin, 1);
    layout->addLayout(groups);

    auto* boxes = new QGridLayout;
    boxes->setVerticalSpacing(0);
    m_caseSensitive = new QCheckBox(QStringLiteral("Учитывать регистр "), this);
    m_allRecords = new QCheckBox(QStringLiteral("Все записи"), this);
    m_allRecords->setToolTip(QStringLiteral("Показывать все найденные записи"));
    m_allRecords->setChecked(true);
    m_allFields = new QCheckBox(QStringLiteral("По всем полям"), this);
    m_allFields->setChecked(true);
    boxes->addWidget(m_caseSensitive, 0, 0);
    boxes->addWidget(m_allRecords, 0, 1);
    boxes->addWidget(m_allFields, 1, 0);
    layout->addLayout(boxes);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("ОК"), this);
    m_ok->setDefault(true);
    m_close = new QPushButton(QStringLiteral("Закрыть"), this);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
}

void TFindForm::setOnFind(TFindEvent handler)
{
    m_onFind = std::move(handler);
    updateActions();
}

void TFindForm::setAllFieldsShown(bool shown)
{
    m_allFields->setVisible(shown);
}

TFindRequest TFindForm::request() const
{
    TFindRequest result;
    result.text = m_text->text();
    result.caseSensitive = m_caseSensitive->isChecked();
    result.forward = m_forward->isChecked();
    result.fromCurrent = m_fromCurrent->isChecked();
    result.allRecords = m_allRecords->isChecked();
    result.allFields = m_allFields->isChecked();
    return result;
}

void TFindForm::findExecute()
{
    if (!m_ok->isEnabled())
        return;
    const TFindRequest asked = request();
    bool found = false;
    try {
        const BusyCursorGuard busy;
        found = m_onFind(asked);
    } catch (const EAbort&) {
        accept();
        return;
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return;
    }
    // The message comes with the normal cursor back.
    if (!found)
        userInterface().showInformation(QStringLiteral("Информация"), NotFoundText(asked.text));
    accept();
}

void TFindForm::showEvent(QShowEvent* event)
{
    applyAllRecords();
    QDialog::showEvent(event);
    if (QScreen* target = screen())
        move(target->availableGeometry().center() - rect().center());
    m_text->setFocus();
    m_text->selectAll();
}

void TFindForm::applyAllRecords()
{
    const bool all = m_allRecords->isChecked();
    if (all) {
        m_forward->setChecked(true);
        m_fromStart->setChecked(true);
    }
    m_direction->setEnabled(!all);
    m_origin->setEnabled(!all);
}

void TFindForm::updateActions()
{
    m_ok->setEnabled(bool(m_onFind) && !m_text->text().isEmpty());
}
