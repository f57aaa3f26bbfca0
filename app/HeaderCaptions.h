#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QTableView;

// The captions of a section page that stand over the grid's own column titles:
// framed labels in small print, one per column or spanning several, and pairs
// of a group caption with the captions of its columns under it. The widget is
// laid out directly above the grid with the same horizontal extent; placeCaptions
// puts every caption exactly over its columns, its frame on the grid's column
// lines, and is run again whenever a column is resized or the grid scrolls.
class THeaderCaptions final : public QWidget
{
    Q_OBJECT
public:
    explicit THeaderCaptions(QTableView* grid, QWidget* parent = nullptr);

    // A caption over the columns first to last standing the full height.
    QLabel* addCaption(const QString& text, int first, int last);
    QLabel* addCaption(const QString& text, int column) { return addCaption(text, column, column); }
    // A group caption over the columns first .. first + parts.size() - 1, with
    // one caption per column under it. Returns the group caption.
    QLabel* addGroup(const QString& text, int first, const QStringList& parts);

    // Every caption in the order added (a group before its parts).
    QList<QLabel*> captions() const;
    // The columns a caption spans.
    int firstColumn(const QLabel* caption) const;
    int lastColumn(const QLabel* caption) const;

    // Moves and sizes every caption over its columns and sets the widget's
    // height to what the texts need at these widths.
    void placeCaptions();

private:
    Q_DISABLE_COPY_MOVE(THeaderCaptions)
    enum class TRow
    {
        Full,
        Upper,
        Lower
    };
    struct TCaption
    {
        QLabel* label;
        int first;
        int last;
        TRow row;
    };
    QLabel* makeLabel(const QString& text);
    const TCaption* find(const QLabel* caption) const;
    // The caption's horizontal extent in the strip: from the column line left of
    // `first` to the column line right of `last`, both included.
    QPair<int, int> extent(int first, int last) const;

    QTableView* m_grid;
    QWidget* m_strip; // clips the captions to the grid's cell area
    QList<TCaption> m_captions;
    bool m_placing = false;
};
