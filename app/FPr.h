#pragma once

#include <memory>

#include <QDialog>
#include <QString>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TDM;
class TDataSource;
class TOZDBEdit;
class TOrganisationCard;

// The organisation card's window over TOrganisationCard, which holds its
// rules: the bound edits of PrTable, the federal subject list, the two code
// edits, the district or city picker, "Сохранить" and "Отмена". Closing the
// card in any other way than "Сохранить" drops the unsaved changes of the
// card row (the region row stays as chosen).
class TPrForm final : public QDialog
{
    Q_OBJECT
public:
    // Opens the card row (a new one is inserted when there is none), the
    // federal subjects of the program folder and the region row.
    explicit TPrForm(TDM& dm, QWidget* parent = nullptr);
    ~TPrForm() override;
    Q_DISABLE_COPY_MOVE(TPrForm)

    TOrganisationCard& card() { return *m_card; }

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
    void buildControls();
    QWidget* buildTopRows();
    QWidget* buildParentGroup();
    QWidget* buildOwnGroup();
    QLayout* buildButtons();
    TOZDBEdit* boundEdit(const QString& fieldName);
    void updateVubAct();
    void showCodeEdits();

    TDM& m_dm;
    // The card goes after the data sources and controls that show its tables.
    std::unique_ptr<TOrganisationCard> m_card;
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
    // Set once the card is closing: leaving an edit then checks nothing.
    bool m_closing = false;
};
