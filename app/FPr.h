#pragma once

#include <memory>
#include <utility>

#include <QDialog>
#include <QString>

#include "ozMemoryData.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TDM;
class TDataSource;
class TOZDBEdit;

// The organisation card: edits the single row of PrTable (the reporting
// organisation) and chooses its district or city, which becomes the single
// row of spisokkr. The organisation code KOD is composed of the INN part
// (at least 8 characters) and the subdivision code typed into two unbound
// edits. "Сохранить" writes both tables; closing the card in any other way
// drops the unsaved changes of the card row (the region row stays as chosen).
class TPrForm final : public QDialog
{
    Q_OBJECT
public:
    // Opens the card row (a new one is inserted when there is none), the
    // federal subjects of the program folder and the region row.
    explicit TPrForm(TDM& dm, QWidget* parent = nullptr);
    ~TPrForm() override;
    Q_DISABLE_COPY_MOVE(TPrForm)

    // The INN part: the text trimmed. The subdivision code: the text trimmed
    // when it reads as a 64-bit integer other than 0, else empty.
    static QString InnPart(const QString& text);
    static QString SubdivisionCode(const QString& text);
    // KOD split back into the INN part and the subdivision code: the INN part
    // is the length of INN when KOD begins with a non-empty INN, else 8.
    static std::pair<QString, QString> SplitKod(const QString& kod, const QString& inn);

    // The focus left the INN part or the subdivision code: a changed text is
    // checked; false when the INN part was rejected ("Неверный код").
    bool KodEditExit();
    // "Сохранить": false (the error shown) when the card stays open.
    bool Save();
    // VubAct: picks a district or city of the selected subject.
    void VubActExecute();

    // Controls, for tests.
    QLineEdit* KodEdit() const { return m_kodEdit; }
    QLineEdit* PodrEdit() const { return m_podrEdit; }
    QComboBox* subjectBox() const { return m_subjectBox; }
    TOZDBEdit* regionEdit() const { return m_regionEdit; }
    // The edit bound to a card column (PNAZ, NGDU1, NGDU2, INN, OKPO, OKOH1,
    // OKCM, KOPF, KFS, ADR, FIOR); null for another name.
    TOZDBEdit* fieldEdit(const QString& fieldName) const;
    QAction* VubAct() const { return m_vubAct; }
    QPushButton* saveButton() const { return m_saveButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildControls();
    void updateVubAct();
    // Ends a pending edit of the card row (unsaved changes are dropped).
    void cancelCardEdit() noexcept;
    QString selectedKobl() const;

    TDM& m_dm;
    // The tables go after the data sources that point at them.
    TozMemoryData m_oblDS{QStringLiteral("OblDS")};
    std::unique_ptr<TDataSource> m_prSource;
    std::unique_ptr<TDataSource> m_regSource;
    QWidget* m_content = nullptr;
    QComboBox* m_subjectBox = nullptr;
    TOZDBEdit* m_regionEdit = nullptr;
    QToolButton* m_vubButton = nullptr;
    QAction* m_vubAct = nullptr;
    QLineEdit* m_kodEdit = nullptr;
    QLineEdit* m_podrEdit = nullptr;
    QList<TOZDBEdit*> m_fieldEdits;
    QList<TOZDBEdit*> m_digitEdits;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    // The INN part or the subdivision code was typed since last accepted.
    bool m_kodChanged = false;
    // Set once the card is closing: leaving an edit then checks nothing.
    bool m_closing = false;
};
