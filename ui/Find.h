#pragma once

#include <functional>

#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// What the user asked for in the search dialog.
struct TFindRequest
{
    QString text;
    bool caseSensitive = false;
    bool forward = true;
    bool fromCurrent = true;
    bool allRecords = true;
    bool allFields = true;
};

// The text of the message shown when nothing matched.
QString NotFoundText(const QString& text);

// The search dialog "Поиск" (fixed 276 x 198, centred on the screen). Each
// grid keeps its own, so the text and the boxes stay from one search to the
// next. "ОК" runs OnFind under the wait cursor and closes the dialog; when
// nothing was found it first says so through the user interface. A silent
// abort (the results window cancelled) closes it without a message; any
// other error goes to the application's error display and keeps it open.
class TFindForm final : public QDialog
{
    Q_OBJECT
public:
    // Returns whether it moved to a match; may throw.
    using TFindEvent = std::function<bool(const TFindRequest& request)>;

    explicit TFindForm(QWidget* parent = nullptr);
    ~TFindForm() override;
    Q_DISABLE_COPY_MOVE(TFindForm)

    void setOnFind(TFindEvent handler);
    void setAllFieldsShown(bool shown);
    // The request as the controls now say.
    TFindRequest request() const;
    // The search action of "ОК".
    void findExecute();

    QLineEdit* textBox() const { return m_text; }
    QGroupBox* directionGroup() const { return m_direction; }
    QRadioButton* forwardButton() const { return m_forward; }
    QRadioButton* backwardButton() const { return m_backward; }
    QGroupBox* originGroup() const { return m_origin; }
    QRadioButton* fromCurrentButton() const { return m_fromCurrent; }
    QRadioButton* fromStartButton() const { return m_fromStart; }
    QCheckBox* caseSensitiveBox() const { return m_caseSensitive; }
    QCheckBox* allRecordsBox() const { return m_allRecords; }
    QCheckBox* allFieldsBox() const { return m_allFields; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* closeButton() const { return m_close; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    // "Все записи" searches forwards from the first record: the groups say so and wait.
    void applyAllRecords();
    void updateActions();

    TFindEvent m_onFind;
    QLineEdit* m_text = nullptr;
    QGroupBox* m_direction = nullptr;
    QRadioButton* m_forward = nullptr;
    QRadioButton* m_backward = nullptr;
    QGroupBox* m_origin = nullptr;
    QRadioButton* m_fromCurrent = nullptr;
    QRadioButton* m_fromStart = nullptr;
    QCheckBox* m_caseSensitive = nullptr;
    QCheckBox* m_allRecords = nullptr;
    QCheckBox* m_allFields = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_close = nullptr;
};
