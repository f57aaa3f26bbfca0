#pragma once

#include <functional>

#include <QColor>
#include <QLineEdit>
#include <QPointer>

#include "DataSetModel.h"

class TField;
#include "LookupList.h"

// A data-aware edit box: shows one field of the current record of its data
// source and enters the typed text into it through the field's set-text rule
// (when the box loses the focus, and when the table asks for pending text
// before a post). Typing asks the table to enter edit state; a table that
// refuses leaves the box unchanged. Enter drops down the pick list the owner
// supplies through OnSelectedList.
class TLookupEdit : public QLineEdit, private IDataLink
{
    Q_OBJECT
public:
    using TSelectedListEvent = std::function<void(TLookupEdit& sender, TLookupList*& list)>;

    explicit TLookupEdit(QWidget* parent = nullptr);
    ~TLookupEdit() override;
    Q_DISABLE_COPY_MOVE(TLookupEdit)

    TDataSource* dataSource() const { return m_source; }
    void setDataSource(TDataSource* source);
    QString dataField() const { return m_dataField; }
    void setDataField(const QString& name);
    TField* field() const;

    TSelectedListEvent OnSelectedList;
    // Opens the pick list; nothing happens while the previous one is visible.
    void ShowLookupList();

    // Remembers the colour the box was given when the window was built; a
    // read-only box in the window colour takes the button-face colour.
    void Loaded();
    // Whether the text was typed since the field was last shown.
    bool isTextModified() const { return m_textModified; }
    // Writes a typed text into the field (may throw a conversion error).
    void commitText();
    // Shows the field's current text, dropping what was typed.
    void reload();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Key handling proper; keyPressEvent catches around it.
    virtual void handleKey(QKeyEvent* event);
    // Whether the key would change the text, so the table must be editing.
    static bool changesText(const QKeyEvent* event);

private:
    void dataSetChanged() override { reload(); }
    void recordScrolled() override { reload(); }
    void recordChanged() override { reload(); }
    void fieldChanged(TField& field) override;
    void stateChanged() override { reload(); }
    void layoutChanged() override { reload(); }
    void updateData() override { commitText(); }
    void focusField(TField& field) override;
    void dataSetDestroyed() override { reload(); }

    bool startEditing();
    void applyColour();

    QPointer<TDataSource> m_source;
    QString m_dataField;
    QPointer<TLookupList> m_lookupList;
    QColor m_designedColour;
    bool m_colourRemembered = false;
    bool m_textModified = false;
    bool m_loading = false;
    bool m_startingEdit = false;
};

// The edit box placed on the program's windows: the decimal separator rule
// for numeric fields, and PgUp / PgDn move the record.
class TOZDBEdit final : public TLookupEdit
{
    Q_OBJECT
public:
    explicit TOZDBEdit(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TOZDBEdit)

protected:
    void handleKey(QKeyEvent* event) override;
};
