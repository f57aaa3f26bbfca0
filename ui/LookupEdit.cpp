#include "LookupEdit.h"

#include <QApplication>
#include <QKeyEvent>

#include "Errors.h"
#include "FormatSettings.h"
#include "LookupList.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

bool isDateType(TFieldType type)
{
    return type == TFieldType::ftDate || type == TFieldType::ftTime ||
           type == TFieldType::ftDateTime;
}

} // namespace

TLookupEdit::TLookupEdit(QWidget* parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { m_textModified = true; });
}

TLookupEdit::~TLookupEdit()
{
    if (m_source)
        m_source->removeLink(this);
}

void TLookupEdit::setDataSource(TDataSource* source)
{
    if (m_source == source)
        return;
    if (m_source)
        m_source->removeLink(this);
    m_source = source;
    if (m_source)
        m_source->addLink(this);
    reload();
}

void TLookupEdit::setDataField(const QString& name)
{
    m_dataField = name;
    reload();
}

TField* TLookupEdit::field() const
{
    TDataSet* table = m_source ? m_source->dataSet() : nullptr;
    if (!table || !table->active() || m_dataField.isEmpty())
        return nullptr;
    return table->findField(m_dataField);
}

void TLookupEdit::reload()
{
    // The edit state that typing starts must not replace the text being typed over.
    if (m_startingEdit)
        return;
    const TField* f = field();
    const TDataSet* table = f ? &f->dataSet() : nullptr;
    const bool editing = table && (table->state() == TDataSetState::dsEdit ||
                                   table->state() == TDataSetState::dsInsert);
    QString text;
    try {
        if (f)
            text = hasFocus() || editing ? f->editText() : f->displayText();
    } catch (...) {
        text.clear();
    }
    m_loading = true;
    setText(text);
    m_loading = false;
    m_textModified = false;
    if (f && f->dataType() == TFieldType::ftString && f->size() > 0)
        setMaxLength(f->size());
}

void TLookupEdit::fieldChanged(TField& changed)
{
    if (&changed == field() && !m_textModified)
        reload();
}

void TLookupEdit::focusField(TField& wanted)
{
    if (&wanted == field())
        setFocus();
}

void TLookupEdit::commitText()
{
    if (!m_textModified)
        return;
    TField* f = field();
    if (!f)
        return;
    QString value = text();
    // The blank date mask passes as it is: no date.
    const QString trimmed = value.trimmed();
    if (isDateType(f->dataType()) && trimmed.startsWith(QLatin1Char('.')) &&
        trimmed.endsWith(QLatin1Char('.')))
        value.clear();
    TDataSet& table = f->dataSet();
    if (table.state() != TDataSetState::dsEdit && table.state() != TDataSetState::dsInsert)
        table.edit();
    f->setText(value);
    m_textModified = false;
}

bool TLookupEdit::startEditing()
{
    TField* f = field();
    if (!f || isReadOnly())
        return false;
    if (f->readOnly() && !f->OnSetText)
        return false;
    TDataSet& table = f->dataSet();
    if (table.state() == TDataSetState::dsEdit || table.state() == TDataSetState::dsInsert)
        return true;
    m_startingEdit = true;
    try {
        table.edit();
    } catch (...) {
        m_startingEdit = false;
        ShowApplicationError(std::current_exception());
        return false;
    }
    m_startingEdit = false;
    return table.state() == TDataSetState::dsEdit || table.state() == TDataSetState::dsInsert;
}

bool TLookupEdit::changesText(const QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
        return true;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return true;
    const QString text = event->text();
    return !text.isEmpty() && text.front().unicode() >= 32 &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

void TLookupEdit::keyPressEvent(QKeyEvent* event)
{
    try {
        handleKey(event);
    } catch (...) {
        ShowApplicationError(std::current_exception());
        event->accept();
    }
}

void TLookupEdit::handleKey(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Enter:
    case Qt::Key_Return:
        ShowLookupList();
        event->accept();
        return;
    case Qt::Key_Escape:
        if (m_textModified) {
            reload();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    if (changesText(event) && !startEditing()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TLookupEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    try {
        commitText();
        reload();
    } catch (...) {
        // The typed text stays for correction; the field keeps its value.
        ShowApplicationError(std::current_exception());
    }
}

void TLookupEdit::ShowLookupList()
{
    if (m_lookupList && m_lookupList->window()->isVisible())
        return;
    try {
        TLookupList* list = nullptr;
        if (OnSelectedList)
            OnSelectedList(*this, list);
        m_lookupList = list;
        if (!list)
            return;
        list->DropDown(this, field());
        reload();
        setFocus();
    } catch (...) {
        m_lookupList = nullptr;
        ShowApplicationError(std::current_exception());
    }
}

void TLookupEdit::Loaded()
{
    m_designedColour = palette().color(QPalette::Base);
    m_colourRemembered = true;
    if (isReadOnly() && m_designedColour == QApplication::palette().color(QPalette::Base)) {
        QPalette p = palette();
        p.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
        setPalette(p);
    }
}

void TLookupEdit::applyColour()
{
    if (!m_colourRemembered)
        return;
    QPalette p = palette();
    const QColor colour =
        isEnabled() ? m_designedColour : QApplication::palette().color(QPalette::Button);
    p.setColor(QPalette::Active, QPalette::Base, colour);
    p.setColor(QPalette::Inactive, QPalette::Base, colour);
    p.setColor(QPalette::Disabled, QPalette::Base, colour);
    setPalette(p);
}

void TLookupEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        applyColour();
}

// ---------------------------------------------------------------- TOZDBEdit

TOZDBEdit::TOZDBEdit(QWidget* parent)
    : TLookupEdit(parent)
{
}

void TOZDBEdit::handleKey(QKeyEvent* event)
{
    const QString text = event->text();
    if (text.size() == 1 &&
        (text.front() == QLatin1Char(',') || text.front() == QLatin1Char('.'))) {
        const QChar separator = FormatSettings::decimalSeparator();
        if (text.front() != separator && IsNumericField(field())) {
            QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(separator));
            TLookupEdit::handleKey(&replaced);
            event->setAccepted(replaced.isAccepted());
            return;
        }
    }
    TLookupEdit::handleKey(event);
    TDataSet* table = field() ? &field()->dataSet() : nullptr;
    if (!table)
        return;
    if (event->key() == Qt::Key_PageUp)
        table->prior();
    else if (event->key() == Qt::Key_PageDown)
        table->next();
}
