#include "LookupList.h"

#include <algorithm>

#include <QDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QScreen>

#include "Errors.h"
#include "ObFunc.h"
#include "UserInterface.h"
#include "Vubor.h"
#include "ozField.h"

TLookupList::TLookupList(QWidget* parent)
    : TDBLocateGrid(parent)
{
    horizontalHeader()->setStretchLastSection(true);
}

TLookupList::~TLookupList() = default;

void TLookupList::setListFields(const QString& names)
{
    if (names == m_listFields)
        return;
    m_listFields = names;
    TDataSet* table = dataSet();
    if (table && table->active())
        rebuildColumns();
}

void TLookupList::rebuildColumns()
{
    clearColumns();
    TDataSet* table = dataSet();
    const QStringList names = m_listFields.split(QLatin1Char(';'));
    for (const QString& part : names) {
        const QString name = part.trimmed();
        if (name.isEmpty())
            continue;
        // An unknown name ends the list.
        if (!table || !table->findField(name))
            break;
        addColumn(name);
    }
    applyTitles();
}

QStringList TLookupList::splitTitles(const QString& text)
{
    QStringList items;
    const auto blank = [](QChar c) {
        return c.unicode() >= 1 && c.unicode() <= 32;
    };
    qsizetype p = 0;
    const qsizetype n = text.size();
    while (p < n && blank(text.at(p)))
        ++p;
    while (p < n) {
        QString item;
        if (text.at(p) == QLatin1Char('"')) {
            ++p;
            while (p < n) {
                if (text.at(p) == QLatin1Char('"')) {
                    if (p + 1 < n && text.at(p + 1) == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text.at(p++);
            }
        } else {
            const qsizetype start = p;
            while (p < n && !blank(text.at(p)) && text.at(p) != QLatin1Char(','))
                ++p;
            item = text.mid(start, p - start);
        }
        items.append(item);
        while (p < n && blank(text.at(p)))
            ++p;
        if (p < n && text.at(p) == QLatin1Char(',')) {
            if (p + 1 == n)
                items.append(QString());
            do
                ++p;
            while (p < n && blank(text.at(p)));
        }
    }
    return items;
}

void TLookupList::setListTitles(const QString& titles)
{
    m_listTitles = titles;
    applyTitles();
}

void TLookupList::applyTitles()
{
    const QStringList items = splitTitles(m_listTitles);
    for (int c = 0; c < columnsCount(); ++c) {
        TGridColumn* column = gridColumn(c);
        if (m_listTitles.isEmpty()) {
            column->setTitle(QStringLiteral(" "));
        } else if (c < items.size()) {
            column->setTitle(items.at(c));
            column->setTitleAlignment(Qt::AlignCenter);
        }
    }
    dataModel()->titlesChanged();
}

void TLookupList::resolveLink()
{
    m_targetField = nullptr;
    m_listField = nullptr;
    qsizetype sep = m_lookupLink.indexOf(QLatin1Char(','));
    if (sep < 0)
        sep = m_lookupLink.indexOf(QLatin1Char(';'));
    const QString targetName = (sep < 0 ? m_lookupLink : m_lookupLink.left(sep)).trimmed();
    const QString listName = sep < 0 ? QString() : m_lookupLink.mid(sep + 1).trimmed();
    TDataSet* target = m_targetSource ? m_targetSource->dataSet() : nullptr;
    if (target && target->active() && !targetName.isEmpty())
        m_targetField = &target->fieldByName(targetName);
    if (dataSet() && dataSet()->active() && !listName.isEmpty())
        m_listField = &dataSet()->fieldByName(listName);
}

void TLookupList::DropDown(QWidget* editor, TField* field, const QRect& anchor)
{
    m_editor = editor;
    m_editedField = field;
    resolveLink();
    TDataSet* list = dataSet();
    if (list && list->active() && m_targetField && m_listField) {
        const QString value = m_targetField->asString();
        if (!value.isEmpty())
            LocateFieldText(
                *list, m_listField, value,
                TLocateOption::loCaseInsensitive | TLocateOption::loPartialKey, true, false, true);
    }
    QRect editorRect = anchor;
    if (editor)
        editorRect = QRect(editor->mapToGlobal(QPoint(0, 0)), editor->size());
    sizeAndPlace(editorRect);
    if (auto* dialog = qobject_cast<QDialog*>(window()); dialog) {
        setFocus();
        dialog->exec();
    }
}

void TLookupList::sizeAndPlace(const QRect& editorRect)
{
    QWidget* w = window();
    if (w == this)
        return;
    const auto bounded = [w](int h) {
        return std::clamp(h, w->minimumHeight(), std::max(w->minimumHeight(), w->maximumHeight()));
    };
    // The window's layout is not applied while it is hidden: the grid's share
    // is what the window's other parts leave.
    const auto* form = qobject_cast<const TLookupForm*>(w);
    const int chrome = form ? form->chromeHeight() : 0;
    int windowHeight = bounded(400);
    const int rows = model()->rowCount();
    const int rowHeight = verticalHeader()->defaultSectionSize();
    const int header = horizontalHeader()->isHidden() ? 0 : horizontalHeader()->sizeHint().height();
    const int needed = header + rows * rowHeight + 2 * frameWidth();
    if (needed <= windowHeight - chrome)
        windowHeight = bounded(chrome + needed);
    w->resize(w->width(), windowHeight);

    QScreen* screen = QGuiApplication::screenAt(editorRect.center());
    if (!screen)
        screen = w->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    QPoint pos = editorRect.isValid() ? QPoint(editorRect.left(), editorRect.bottom() + 1)
                                      : area.center() - QPoint(w->width() / 2, w->height() / 2);
    if (editorRect.isValid() && pos.y() + w->height() > area.bottom() + 1 - 20)
        pos.setY(std::max(area.top(), editorRect.top() - w->height()));
    if (pos.x() + w->width() > area.right() + 1)
        pos.setX(std::max(area.left(), area.right() + 1 - w->width()));
    w->move(pos);
}

void TLookupList::CloseUp(bool accept)
{
    TDataSet* list = dataSet();
    if (accept && isEnabled() && m_targetField && m_listField && list && !list->isEmpty()) {
        TDataSet& target = m_targetField->dataSet();
        try {
            target.edit();
            m_targetField->setAsString(m_listField->asString());
            target.post();
        } catch (...) {
            // The record stays as the failing step left it; the user learns why.
            ShowApplicationError(std::current_exception());
        }
    }
    StopLocate();
    QWidget* w = window();
    if (auto* dialog = qobject_cast<QDialog*>(w); dialog)
        dialog->done(accept ? QDialog::Accepted : QDialog::Rejected);
    else if (w != this)
        w->hide();
}

void TLookupList::returnFocus()
{
    if (!m_editor)
        return;
    QWidget* target = m_editor;
    // A cell editor gives the focus back to the grid that owns it.
    for (QWidget* p = m_editor->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<TDBLocateGrid*>(p)) {
            target = p;
            break;
        }
    target->setFocus();
}

void TLookupList::handleKey(QKeyEvent* event)
{
    if (isReadOnly() && event->modifiers() == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Enter:
        case Qt::Key_Return:
            StopLocate();
            CloseUp(dataSet() && !dataSet()->isEmpty());
            event->accept();
            return;
        case Qt::Key_Escape:
            StopLocate();
            CloseUp(false);
            event->accept();
            return;
        default:
            break;
        }
    }
    TDBLocateGrid::handleKey(event);
}

void TLookupList::mousePressEvent(QMouseEvent* event)
{
    TDBLocateGrid::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    TDataSet* list = dataSet();
    if (!list || list->state() == TDataSetState::dsEdit || list->state() == TDataSetState::dsInsert)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    CloseUp(!list->isEmpty());
    returnFocus();
}
