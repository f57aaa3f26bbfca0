#include "OZGrid.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyleOptionViewItem>

#include "Errors.h"
#include "UserInterface.h"

TozColumn::TozColumn(const QString& fieldName, const QString& title, int width)
    : TGridColumn(fieldName, title, width)
{
    setTitleAlignment(Qt::AlignCenter);
}

TOZGrid::TOZGrid(QWidget* parent)
    : TLookupGrid(parent)
{
}

TOZGrid::~TOZGrid() = default;

std::unique_ptr<TGridColumn> TOZGrid::createColumn(const QString& fieldName, const QString& title,
                                                   int width)
{
    return std::make_unique<TozColumn>(fieldName, title, width);
}

TozColumn* TOZGrid::ozColumn(int index) const
{
    return dynamic_cast<TozColumn*>(gridColumn(index));
}

void TOZGrid::updateHint()
{
    const TozColumn* column = ozColumn(selectedColumn());
    if (!column)
        return;
    setToolTip(column->FullName().isEmpty() ? column->title() : column->FullName());
}

void TOZGrid::columnEntered(int column)
{
    TLookupGrid::columnEntered(column);
    updateHint();
}

void TOZGrid::focusInEvent(QFocusEvent* event)
{
    TLookupGrid::focusInEvent(event);
    updateHint();
}

void TOZGrid::initCellStyle(QStyleOptionViewItem& option, const QModelIndex& index,
                            bool highlighted)
{
    // The grid draws its own focus rectangle after the owner's drawing.
    option.state &= ~QStyle::State_HasFocus;
    if (!OnGetCellParams)
        return;
    QFont font = option.font;
    QColor background = option.backgroundBrush.style() != Qt::NoBrush
                            ? option.backgroundBrush.color()
                            : option.palette.color(QPalette::Base);
    const QColor before = background;
    try {
        OnGetCellParams(*this, dataModel()->columnField(index.column()), font, background,
                        highlighted);
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return;
    }
    option.font = font;
    if (background != before)
        option.backgroundBrush = background;
}

void TOZGrid::afterPaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index, bool highlighted)
{
    if (OnDrawColumnCell) {
        try {
            painter->save();
            OnDrawColumnCell(*this, painter, option.rect, index.column(),
                             dataModel()->columnField(index.column()), option.state);
            painter->restore();
        } catch (...) {
            painter->restore();
            ShowApplicationError(std::current_exception());
        }
    }
    if (highlighted && selectionBehavior() != QAbstractItemView::SelectRows &&
        window()->focusWidget() == this) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = option.rect.adjusted(1, 1, -1, -1);
        focus.backgroundColor = option.palette.color(QPalette::Highlight);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, this);
    }
}
