#pragma once

#include <functional>

#include <QPlainTextEdit>
#include <QString>

#include "ozDataSet.h"

class TDataSource;

// A bound control's link to one field of the table a data source shows: the
// owner's show is called whenever the table tells that something changed, its
// update when the table asks for pending text.
class TFieldLink final : public IDataLink
{
public:
    using TShow = std::function<void()>;
    using TUpdate = std::function<void()>;

    TFieldLink(TShow show, TUpdate update);
    ~TFieldLink() override;
    Q_DISABLE_COPY_MOVE(TFieldLink)

    // Binds to the field of the source's table (fieldName resolved at each use,
    // so the link survives the table's reopening and the source's re-pointing);
    // nullptr unbinds. The source must outlive the link or be unbound first.
    void bind(TDataSource* source, const QString& fieldName);
    TDataSet* dataSet() const;
    // The bound field, or null when the table is closed or lacks it.
    TField* field() const;

    void dataSetChanged() override { m_show(); }
    void recordScrolled() override { m_show(); }
    void recordChanged() override { m_show(); }
    void fieldChanged(TField& changed) override;
    void stateChanged() override { m_show(); }
    void layoutChanged() override { m_show(); }
    void updateData() override { m_update(); }
    void dataSetDestroyed() override { m_show(); }

private:
    TShow m_show;
    TUpdate m_update;
    TDataSource* m_source = nullptr;
    QString m_fieldName;
};

// A multi-line box editing a text field of the current row. Typing puts the
// table into edit state (a table that refuses keeps the box's text as it was);
// the text reaches the field when the box loses the focus or the table asks
// for pending values before posting. Errors are shown through the program's
// error display and never leave the box.
class TDBMemo final : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr);

    void bind(TDataSource* source, const QString& fieldName) { m_link.bind(source, fieldName); }
    // The box holds text not yet written into the field.
    bool pending() const { return m_pending; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    Q_DISABLE_COPY_MOVE(TDBMemo)
    void showField();
    // Puts the table into edit state before the user's change; false when it refuses.
    bool beginChange();
    void writeField();

    TFieldLink m_link;
    bool m_pending = false;
    bool m_showing = false;
};
