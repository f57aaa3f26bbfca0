#pragma once

#include <functional>

#include <QColor>
#include <QFont>

#include "LookupGrid.h"

// The column class of TOZGrid: a centred title and a full name shown as the
// grid's hint while the column is current.
class TozColumn final : public TGridColumn
{
public:
    explicit TozColumn(const QString& fieldName = QString(), const QString& title = QString(),
                       int width = -1);

    QString FullName() const { return m_fullName; }
    void setFullName(const QString& name) { m_fullName = name; }

private:
    QString m_fullName;
};

// The grid placed on every window of the program: TozColumn columns, a hint
// per column, and a hook that may change a cell's font and background.
class TOZGrid : public TLookupGrid
{
    Q_OBJECT
public:
    using TGetCellParamsEvent = std::function<void(TOZGrid& sender, TField* field, QFont& font,
                                                   QColor& background, bool highlight)>;
    // The owner's cell drawing, after the cell's text is drawn.
    using TDrawColumnCellEvent =
        std::function<void(TOZGrid& sender, QPainter* painter, const QRect& rect, int column,
                           TField* field, QStyle::State state)>;

    explicit TOZGrid(QWidget* parent = nullptr);
    ~TOZGrid() override;
    Q_DISABLE_COPY_MOVE(TOZGrid)

    TozColumn* ozColumn(int index) const;

    TGetCellParamsEvent OnGetCellParams;
    TDrawColumnCellEvent OnDrawColumnCell;

    void initCellStyle(QStyleOptionViewItem& option, const QModelIndex& index,
                       bool highlighted) override;
    void afterPaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index, bool highlighted) override;

protected:
    std::unique_ptr<TGridColumn> createColumn(const QString& fieldName, const QString& title,
                                              int width) override;
    void columnEntered(int column) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void updateHint();
};
