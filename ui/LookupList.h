#pragma once

#include <QPointer>
#include <QRect>
#include <QString>

#include "DBLocateGrid.h"

class TField;

// The grid that shows a pick list in the list picker window and writes the
// chosen value back into the edited record. Whoever prepares the list sets
// ListFields, ListTitles, LookupLink and TargetSource; DropDown shows the
// window modally and returns when it has closed.
class TLookupList : public TDBLocateGrid
{
    Q_OBJECT
public:
    explicit TLookupList(QWidget* parent = nullptr);
    ~TLookupList() override;
    Q_DISABLE_COPY_MOVE(TLookupList)

    // Field names of the list data set separated by ";", one column each.
    QString ListFields() const { return m_listFields; }
    void setListFields(const QString& names);
    // Column titles, comma- or blank-separated; "..." may hold both.
    QString ListTitles() const { return m_listTitles; }
    void setListTitles(const QString& titles);
    // "Target,ListField": the field of the edited record, then the list field copied into it.
    QString LookupLink() const { return m_lookupLink; }
    void setLookupLink(const QString& link) { m_lookupLink = link; }
    TDataSource* TargetSource() const { return m_targetSource; }
    void setTargetSource(TDataSource* source) { m_targetSource = source; }

    // Opens the list under the editor (or, without one, under the anchor rectangle
    // in screen coordinates) for the edited field; returns when the window closed.
    void DropDown(QWidget* editor, TField* field, const QRect& anchor = QRect());
    // Applies the current row when accepted, then hides the list and closes its window.
    virtual void CloseUp(bool accept);

    TField* targetField() const { return m_targetField; }
    TField* listField() const { return m_listField; }
    // Splits a title list as the program's string lists do (commas and blanks,
    // double quotes around an item that holds them).
    static QStringList splitTitles(const QString& text);

protected:
    void handleKey(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void rebuildColumns();
    void applyTitles();
    void resolveLink();
    void sizeAndPlace(const QRect& editorRect);
    void returnFocus();

    QString m_listFields;
    QString m_listTitles;
    QString m_lookupLink;
    QPointer<TDataSource> m_targetSource;
    TField* m_targetField = nullptr;
    TField* m_listField = nullptr;
    TField* m_editedField = nullptr;
    QPointer<QWidget> m_editor;
};
