#include "DataControls.h"

#include <QKeyEvent>

#include "DataSetModel.h"
#include "Errors.h"
#include "UserInterface.h"
#include "ozField.h"

TFieldLink::TFieldLink(TShow show, TUpdate update)
    : m_show(std::move(show))
    , m_update(std::move(update))
{
}

TFieldLink::~TFieldLink()
{
    if (m_source)
        m_source->removeLink(this);
}

void TFieldLink::bind(TDataSource* source, const QString& fieldName)
{
    if (m_source)
        m_source->removeLink(this);
    m_source = source;
    m_fieldName = fieldName;
    if (m_source)
        m_source->addLink(this);
    m_show();
}

TDataSet* TFieldLink::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

TField* TFieldLink::field() const
{
    TDataSet* table = dataSet();
    if (!table || !table->active())
        return nullptr;
    return table->findField(m_fieldName);
}

void TFieldLink::fieldChanged(TField& changed)
{
    if (&changed == field())
        m_show();
}

namespace {

// The text of the field in the current row; empty on an empty or closed table.
QString currentText(const TFieldLink& link, bool displayText)
{
    TField* field = link.field();
    if (!field || link.dataSet()->isEmpty())
        return QString();
    return displayText ? field->displayText() : field->editText();
}

} // namespace

TDBMemo::TDBMemo(QWidget* parent)
    : QPlainTextEdit(parent)
    , m_link([this] { showField(); }, [this] { writeField(); })
{
    setTabChangesFocus(true);
}

void TDBMemo::showField()
{
    // While the user's text is pending, the table's own notifications (the
    // edit state just entered) must not overwrite it.
    if (m_pending)
        return;
    m_showing = true;
    setPlainText(currentText(m_link, false));
    m_showing = false;
}

bool TDBMemo::beginChange()
{
    TField* field = m_link.field();
    if (!field)
        return false;
    TDataSet& table = *m_link.dataSet();
    if (table.state() == TDataSetState::dsEdit || table.state() == TDataSetState::dsInsert) {
        m_pending = true;
        return true;
    }
    if (table.isEmpty())
        return false;
    try {
        table.edit();
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return false;
    }
    m_pending = true;
    return true;
}

void TDBMemo::writeField()
{
    if (!m_pending)
        return;
    TField* field = m_link.field();
    if (!field)
        return;
    // A rejected text stays in the box, still pending; the error travels on to
    // whoever asked for the value.
    field->setText(toPlainText());
    m_pending = false;
}

void TDBMemo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_pending) {
        // Esc abandons the typed text, as in the grid's cell editor.
        m_pending = false;
        showField();
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool changes = event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
                         event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
                         event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
                         event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                         (!text.isEmpty() && text.at(0).isPrint());
    if (changes && !beginChange()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TDBMemo::inputMethodEvent(QInputMethodEvent* event)
{
    if (!beginChange()) {
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TDBMemo::insertFromMimeData(const QMimeData* source)
{
    if (beginChange())
        QPlainTextEdit::insertFromMimeData(source);
}

void TDBMemo::focusOutEvent(QFocusEvent* event)
{
    try {
        writeField();
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
    QPlainTextEdit::focusOutEvent(event);
}
