#include "FPr.h"

#include <algorithm>

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include "DataSetModel.h"
#include "LookupEdit.h"
#include "MDM.h"
#include "OrganisationCard.h"
#include "RegionPicker.h"
#include "Rn.h"
#include "UserInterface.h"

namespace {

QLabel* newLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* result = new QLabel(text, parent);
    result->setBuddy(buddy);
    return result;
}

QLabel* newNote(const QString& text, QWidget* parent)
{
    auto* result = new QLabel(text, parent);
    result->setWordWrap(true);
    return result;
}

} // namespace

TPrForm::TPrForm(TDM& dm, QWidget* parent)
    : QDialog(parent)
    , m_dm(dm)
    , m_card(std::make_unique<TOrganisationCard>(dm))
    , m_prSource(std::make_unique<TDataSource>())
    , m_regSource(std::make_unique<TDataSource>())
{
    setWindowTitle(QStringLiteral("Сведения об организации"));
    m_prSource->setDataSet(&dm.PrTable());
    m_regSource->setDataSet(&dm.spisokkr());
    buildControls();
    updateVubAct();
    // The card's notes wrap: at the card's width they decide how tall it must
    // be, so the edit boxes below them keep their height whatever the font.
    const int width = 450;
    int height = std::max(452, sizeHint().height());
    if (layout() && layout()->hasHeightForWidth())
        height = std::max(height, layout()->totalHeightForWidth(width));
    resize(width, height);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TPrForm::~TPrForm()
{
    m_closing = true;
    // The bound controls go before their data sources, the card last.
    delete m_content;
    m_prSource.reset();
    m_regSource.reset();
}

TOZDBEdit* TPrForm::boundEdit(const QString& fieldName)
{
    auto* edit = new TOZDBEdit(m_content);
    edit->setObjectName(fieldName);
    edit->setDataSource(m_prSource.get());
    edit->setDataField(fieldName);
    edit->Loaded();
    m_fieldEdits.append(edit);
    return edit;
}

void TPrForm::buildControls()
{
    m_content = new QWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_content);
    auto* layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(buildTopRows());
    layout->addWidget(buildParentGroup());
    layout->addWidget(buildOwnGroup());
    layout->addStretch(1);
    layout->addLayout(buildButtons());

    connect(m_subjectBox, &QComboBox::currentIndexChanged, this, [this] {
        m_card->selectKobl(m_subjectBox->currentData().toString());
        updateVubAct();
    });
    // What the edits show is the card's; only typing counts as a change.
    for (QLineEdit* edit : {m_kodEdit, m_podrEdit}) {
        connect(edit, &QLineEdit::textChanged, this,
                [this] { m_card->setCodeTexts(m_kodEdit->text(), m_podrEdit->text()); });
    }
    connect(m_kodEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_card->setInnPartText(text); });
    connect(m_podrEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_card->setSubdivisionText(text); });
    connect(m_vubAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { VubActExecute(); }); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { RunAtEdge([this] { Save(); }); });
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

// Name, subject, district or city.
QWidget* TPrForm::buildTopRows()
{
    auto* box = new QWidget(m_content);
    auto* top = new QGridLayout(box);
    top->setContentsMargins(0, 0, 0, 0);
    TOZDBEdit* name = boundEdit(QStringLiteral("PNAZ"));
    top->addWidget(newLabel(QStringLiteral("Наименование"), name, box), 0, 0);
    top->addWidget(name, 0, 1, 1, 2);
    m_subjectBox = new QComboBox(box);
    m_subjectBox->setEditable(false);
    TozMemoryData& subjects = m_card->OblDS();
    for (subjects.first(); !subjects.eof(); subjects.next()) {
        m_subjectBox->addItem(subjects.fieldByName(QStringLiteral("NAME")).asString(),
                              subjects.fieldByName(QStringLiteral("KOBL")).asString());
    }
    m_subjectBox->setCurrentIndex(m_subjectBox->findData(m_card->selectedKobl()));
    top->addWidget(newLabel(QStringLiteral("Субъект РФ"), m_subjectBox, box), 1, 0);
    top->addWidget(m_subjectBox, 1, 1, 1, 2);
    m_regionEdit = new TOZDBEdit(box);
    m_regionEdit->setDataSource(m_regSource.get());
    m_regionEdit->setDataField(QStringLiteral("NAME"));
    m_regionEdit->setReadOnly(true);
    m_regionEdit->setFocusPolicy(Qt::ClickFocus); // skipped by Tab
    m_regionEdit->Loaded();
    m_vubAct = new QAction(QStringLiteral("..."), this);
    m_vubAct->setToolTip(QStringLiteral("Выбор района, города"));
    m_vubButton = new QToolButton(box);
    m_vubButton->setDefaultAction(m_vubAct);
    top->addWidget(newLabel(QStringLiteral("Район, город"), m_regionEdit, box), 2, 0);
    top->addWidget(m_regionEdit, 2, 1);
    top->addWidget(m_vubButton, 2, 2);
    top->setColumnStretch(1, 1);
    return box;
}

// The parent organisation.
QWidget* TPrForm::buildParentGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Данные вышестоящей организации"), m_content);
    auto* grid = new QGridLayout(group);
    TOZDBEdit* parentInn = boundEdit(QStringLiteral("NGDU1"));
    TOZDBEdit* parentPodr = boundEdit(QStringLiteral("NGDU2"));
    grid->addWidget(newLabel(QStringLiteral("ИНН"), parentInn, group), 0, 0);
    grid->addWidget(parentInn, 0, 1);
    grid->addWidget(newLabel(QStringLiteral("Код подразделения"), parentPodr, group), 0, 2);
    grid->addWidget(parentPodr, 0, 3);
    grid->addWidget(
        newNote(
            QStringLiteral("Заполняется, если отчитывающаяся организация является подразделением"),
            group),
        1, 0, 1, 4);
    return group;
}

// The reporting organisation: its code edits, the note, and its details.
QWidget* TPrForm::buildOwnGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Данные отчитывающейся организации"), m_content);
    auto* grid = new QGridLayout(group);
    m_kodEdit = new QLineEdit(group);
    m_kodEdit->setMaxLength(12);
    m_podrEdit = new QLineEdit(group);
    m_podrEdit->setMaxLength(12);
    grid->addWidget(newLabel(QStringLiteral("ИНН"), m_kodEdit, group), 0, 0);
    grid->addWidget(m_kodEdit, 0, 1);
    grid->addWidget(newLabel(QStringLiteral("Код подразделения"), m_podrEdit, group), 0, 2);
    grid->addWidget(m_podrEdit, 0, 3);
    grid->addWidget(
        newNote(QStringLiteral(
                    "Необходимо в поле ввода \"ИНН\" ввести ИНН отчитывающейся организации. Если "
                    "организация является подразделением какого-либо юридического лица, то в поле "
                    "ввода \"Данные вышестоящей организации\" нужно ввести \"ИНН\" вышестоящей "
                    "организации, а в поле ввода \"Код подразделения\" отчитывающейся организации "
                    "необходимо ввести код данного подразделения (либо уникальный номер внутри "
                    "данного юридического лица)."),
                group),
        1, 0, 1, 4);
    showCodeEdits();
    for (QLineEdit* edit : {m_kodEdit, m_podrEdit})
        edit->installEventFilter(this);

    const struct
    {
        const char* label;
        const char* field;
    } rows[] = {{"ИНН", "INN"},    {"ОКПО", "OKPO"}, {"ОКВЭД", "OKOH1"}, {"ОКАТО", "OKCM"},
                {"ОКОПФ", "KOPF"}, {"ОКФС", "KFS"},  {"Адрес", "ADR"},   {"Руководитель", "FIOR"}};
    int row = 2;
    for (const auto& item : rows) {
        const QString field = QString::fromLatin1(item.field);
        TOZDBEdit* edit = boundEdit(field);
        if (TOrganisationCard::DigitsOnly(field)) {
            m_digitEdits.append(edit);
            edit->installEventFilter(this);
        }
        grid->addWidget(newLabel(QString::fromUtf8(item.label), edit, group), row, 0);
        grid->addWidget(edit, row, 1, 1, 3);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return group;
}

QLayout* TPrForm::buildButtons()
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_saveButton = new QPushButton(QStringLiteral("Сохранить"), m_content);
    m_saveButton->setDefault(true);
    m_saveButton->setAutoDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), m_content);
    m_cancelButton->setAutoDefault(false);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_cancelButton);
    return buttons;
}

TOZDBEdit* TPrForm::fieldEdit(const QString& fieldName) const
{
    for (TOZDBEdit* edit : m_fieldEdits) {
        if (edit->dataField().compare(fieldName, Qt::CaseInsensitive) == 0)
            return edit;
    }
    return nullptr;
}

void TPrForm::showCodeEdits()
{
    m_kodEdit->setText(m_card->innPartText());
    m_podrEdit->setText(m_card->subdivisionText());
}

void TPrForm::updateVubAct()
{
    m_vubAct->setEnabled(m_card->VubActEnabled());
}

bool TPrForm::KodEditExit()
{
    bool accepted = false;
    RunAtEdge([this, &accepted] { accepted = m_card->KodEditExit(); });
    if (accepted)
        showCodeEdits();
    return accepted;
}

bool TPrForm::Save()
{
    if (!m_card->Save())
        return false;
    showCodeEdits();
    accept();
    return true;
}

void TPrForm::VubActExecute()
{
    updateVubAct();
    if (!m_card->VubActEnabled())
        return;
    std::unique_ptr<TRnForm> picker;
    {
        const BusyCursorGuard busy;
        picker = std::make_unique<TRnForm>(m_dm.ResourceDir(), m_card->selectedKobl(), this);
    }
    if (picker->exec() != QDialog::Accepted)
        return;
    const TTerritory chosen = picker->territory();
    picker.reset();
    m_card->ChooseTerritory(chosen);
}

void TPrForm::done(int result)
{
    m_closing = true;
    m_card->Cancel();
    QDialog::done(result);
}

bool TPrForm::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_kodEdit || watched == m_podrEdit) && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another window or opening a menu does not leave the edit.
        if (!m_closing && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            KodEditExit();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* edit = qobject_cast<TOZDBEdit*>(watched);
        if (edit && m_digitEdits.contains(edit)) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            const bool allowedKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                    key->key() == Qt::Key_Backspace;
            // Only what the card's rule keeps is typed; other characters are dropped.
            if (!allowedKey && !text.isEmpty() && text.at(0).isPrint() &&
                TOrganisationCard::TypedText(edit->dataField(), text) != text)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
