#include "FPr.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include "DataSetModel.h"
#include "Errors.h"
#include "LookupEdit.h"
#include "MDM.h"
#include "Rn.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

const int MinInnLength = 8;

bool isAbort(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}

// The message box captioned "Ошибка" with the error icon; a silent abort shows nothing.
void showErrorBox(const std::exception_ptr& error)
{
    if (!isAbort(error))
        userInterface().showError(ErrorText(error));
}

void startEditing(TDataSet& table)
{
    if (table.state() == TDataSetState::dsBrowse)
        table.edit();
}

} // namespace

TPrForm::TPrForm(TDM& dm, QWidget* parent)
    : QDialog(parent)
    , m_dm(dm)
    , m_prSource(std::make_unique<TDataSource>())
    , m_regSource(std::make_unique<TDataSource>())
{
    setWindowTitle(QStringLiteral("Сведения об организации"));
    try {
        FormCreate();
    } catch (...) {
        cancelCardEdit();
        throw;
    }
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
    cancelCardEdit();
    // The bound controls go before their data sources.
    delete m_content;
    m_prSource.reset();
    m_regSource.reset();
}

QString TPrForm::InnPart(const QString& text)
{
    return text.trimmed();
}

QString TPrForm::SubdivisionCode(const QString& text)
{
    const QString code = text.trimmed();
    bool ok = false;
    const qint64 number = code.toLongLong(&ok, 10);
    return ok && number != 0 ? code : QString();
}

std::pair<QString, QString> TPrForm::SplitKod(const QString& kod, const QString& inn)
{
    const qsizetype length = !inn.isEmpty() && kod.startsWith(inn) ? inn.size() : MinInnLength;
    return {kod.left(length).trimmed(), kod.mid(length).trimmed()};
}

void TPrForm::FormCreate()
{
    TozMemoryData& card = m_dm.PrTable();
    if (!card.active())
        card.open();
    if (card.isEmpty())
        card.append();

    TDM::declareSubjectColumns(m_oblDS);
    m_oblDS.setFileName(m_dm.ProgramDir() + QStringLiteral("data/klobl.xml"));
    m_oblDS.setSortFields(QStringLiteral("NAME"));
    m_oblDS.setCanEdit(false);
    m_oblDS.setCanInsert(false);
    m_oblDS.setCanDelete(false);
    m_oblDS.open();
    TozMemoryData& region = m_dm.spisokkr();
    if (!region.active())
        region.open();
    m_prSource->setDataSet(&card);
    m_regSource->setDataSet(&region);
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

    const auto bound = [this](const QString& fieldName) {
        auto* edit = new TOZDBEdit(m_content);
        edit->setObjectName(fieldName);
        edit->setDataSource(m_prSource.get());
        edit->setDataField(fieldName);
        edit->Loaded();
        m_fieldEdits.append(edit);
        return edit;
    };
    const auto label = [this](const QString& text, QWidget* buddy) {
        auto* result = new QLabel(text, m_content);
        result->setBuddy(buddy);
        return result;
    };
    const auto note = [this](const QString& text) {
        auto* result = new QLabel(text, m_content);
        result->setWordWrap(true);
        return result;
    };

    // Name, subject, district or city.
    auto* top = new QGridLayout;
    TOZDBEdit* name = bound(QStringLiteral("PNAZ"));
    top->addWidget(label(QStringLiteral("Наименование"), name), 0, 0);
    top->addWidget(name, 0, 1, 1, 2);
    m_subjectBox = new QComboBox(m_content);
    m_subjectBox->setEditable(false);
    for (m_oblDS.first(); !m_oblDS.eof(); m_oblDS.next()) {
        m_subjectBox->addItem(m_oblDS.fieldByName(QStringLiteral("NAME")).asString(),
                              m_oblDS.fieldByName(QStringLiteral("KOBL")).asString());
    }
    m_subjectBox->setCurrentIndex(-1);
    if (!m_dm.spisokkr().isEmpty()) {
        const QString kobl = m_dm.spisokkr().fieldByName(QStringLiteral("NGDU")).asString().left(2);
        if (!kobl.isEmpty())
            m_subjectBox->setCurrentIndex(m_subjectBox->findData(kobl));
    }
    top->addWidget(label(QStringLiteral("Субъект РФ"), m_subjectBox), 1, 0);
    top->addWidget(m_subjectBox, 1, 1, 1, 2);
    m_regionEdit = new TOZDBEdit(m_content);
    m_regionEdit->setDataSource(m_regSource.get());
    m_regionEdit->setDataField(QStringLiteral("NAME"));
    m_regionEdit->setReadOnly(true);
    m_regionEdit->setFocusPolicy(Qt::ClickFocus); // skipped by Tab
    m_regionEdit->Loaded();
    m_vubAct = new QAction(QStringLiteral("..."), this);
    m_vubAct->setToolTip(QStringLiteral("Выбор района, города"));
    m_vubButton = new QToolButton(m_content);
    m_vubButton->setDefaultAction(m_vubAct);
    top->addWidget(label(QStringLiteral("Район, город"), m_regionEdit), 2, 0);
    top->addWidget(m_regionEdit, 2, 1);
    top->addWidget(m_vubButton, 2, 2);
    top->setColumnStretch(1, 1);
    layout->addLayout(top);

    // The parent organisation.
    auto* parentGroup = new QGroupBox(QStringLiteral("Данные вышестоящей организации"), m_content);
    auto* parentGrid = new QGridLayout(parentGroup);
    TOZDBEdit* parentInn = bound(QStringLiteral("NGDU1"));
    TOZDBEdit* parentPodr = bound(QStringLiteral("NGDU2"));
    parentGrid->addWidget(label(QStringLiteral("ИНН"), parentInn), 0, 0);
    parentGrid->addWidget(parentInn, 0, 1);
    parentGrid->addWidget(label(QStringLiteral("Код подразделения"), parentPodr), 0, 2);
    parentGrid->addWidget(parentPodr, 0, 3);
    parentGrid->addWidget(
        note(
            QStringLiteral("Заполняется, если отчитывающаяся организация является подразделением")),
        1, 0, 1, 4);
    layout->addWidget(parentGroup);

    // The reporting organisation.
    auto* ownGroup = new QGroupBox(QStringLiteral("Данные отчитывающейся организации"), m_content);
    auto* ownGrid = new QGridLayout(ownGroup);
    m_kodEdit = new QLineEdit(ownGroup);
    m_kodEdit->setMaxLength(12);
    m_podrEdit = new QLineEdit(ownGroup);
    m_podrEdit->setMaxLength(12);
    ownGrid->addWidget(label(QStringLiteral("ИНН"), m_kodEdit), 0, 0);
    ownGrid->addWidget(m_kodEdit, 0, 1);
    ownGrid->addWidget(label(QStringLiteral("Код подразделения"), m_podrEdit), 0, 2);
    ownGrid->addWidget(m_podrEdit, 0, 3);
    ownGrid->addWidget(
        note(QStringLiteral(
            "Необходимо в поле ввода \"ИНН\" ввести ИНН отчитывающейся организации. Если "
            "организация является подразделением какого-либо юридического лица, то в поле ввода "
            "\"Данные вышестоящей организации\" нужно ввести \"ИНН\" вышестоящей организации, а в "
            "поле ввода \"Код подразделения\" отчитывающейся организации необходимо ввести код "
            "данного подразделения (либо уникальный номер внутри данного юридического лица).")),
        1, 0, 1, 4);
    layout->addWidget(ownGroup);

    auto* details = new QGridLayout;
    const struct
    {
        const char* label;
        const char* field;
        bool digits;
    } rows[] = {{"ИНН", "INN", true},    {"ОКПО", "OKPO", true},         {"ОКВЭД", "OKOH1", true},
                {"ОКАТО", "OKCM", true}, {"ОКОПФ", "KOPF", true},        {"ОКФС", "KFS", true},
                {"Адрес", "ADR", false}, {"Руководитель", "FIOR", false}};
    int row = 0;
    for (const auto& item : rows) {
        TOZDBEdit* edit = bound(QString::fromLatin1(item.field));
        if (item.digits) {
            m_digitEdits.append(edit);
            edit->installEventFilter(this);
        }
        details->addWidget(label(QString::fromUtf8(item.label), edit), row, 0);
        details->addWidget(edit, row, 1);
        ++row;
    }
    details->setColumnStretch(1, 1);
    layout->addLayout(details);
    layout->addStretch(1);

    // The bottom bar.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_saveButton = new QPushButton(QStringLiteral("Сохранить"), m_content);
    m_saveButton->setDefault(true);
    m_saveButton->setAutoDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), m_content);
    m_cancelButton->setAutoDefault(false);
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);

    // The organisation code shown split into its two parts.
    const auto parts = SplitKod(m_dm.PrTable().fieldByName(QStringLiteral("KOD")).asString(),
                                m_dm.PrTable().fieldByName(QStringLiteral("INN")).asString());
    m_kodEdit->setText(parts.first);
    m_podrEdit->setText(parts.second);
    for (QLineEdit* edit : {m_kodEdit, m_podrEdit}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this] { m_kodChanged = true; });
    }

    connect(m_subjectBox, &QComboBox::currentIndexChanged, this, &TPrForm::updateVubAct);
    connect(m_vubAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { VubActExecute(); }); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { RunAtEdge([this] { Save(); }); });
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TOZDBEdit* TPrForm::fieldEdit(const QString& fieldName) const
{
    for (TOZDBEdit* edit : m_fieldEdits) {
        if (edit->dataField().compare(fieldName, Qt::CaseInsensitive) == 0)
            return edit;
    }
    return nullptr;
}

QString TPrForm::selectedKobl() const
{
    return m_subjectBox && m_subjectBox->currentIndex() >= 0
               ? m_subjectBox->currentData().toString()
               : QString();
}

void TPrForm::updateVubAct()
{
    m_vubAct->setEnabled(m_subjectBox->currentIndex() >= 0);
}

bool TPrForm::KodEditExit()
{
    if (!m_kodChanged)
        return true;
    const QString inn = InnPart(m_kodEdit->text());
    if (inn.size() < MinInnLength) {
        // The edit stays changed, so it is checked again when left.
        ShowApplicationError(std::make_exception_ptr(F2tpError(QStringLiteral("Неверный код"))));
        return false;
    }
    m_kodEdit->setText(inn);
    m_podrEdit->setText(SubdivisionCode(m_podrEdit->text()));
    try {
        TozMemoryData& card = m_dm.PrTable();
        TField& innField = card.fieldByName(QStringLiteral("INN"));
        if (innField.asString().isEmpty()) {
            startEditing(card);
            innField.setAsString(inn);
        }
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return false;
    }
    m_kodChanged = false;
    return true;
}

bool TPrForm::Save()
{
    const QString inn = InnPart(m_kodEdit->text());
    const QString subdivision = SubdivisionCode(m_podrEdit->text());
    if (inn.size() < MinInnLength) {
        userInterface().showError(QStringLiteral("Неверный код предприятия"));
        return false;
    }
    try {
        TozMemoryData& card = m_dm.PrTable();
        startEditing(card);
        card.fieldByName(QStringLiteral("KOD")).setAsString(inn + subdivision);
        card.post();
        card.SaveIfModified();

        TozMemoryData& region = m_dm.spisokkr();
        if (!region.active())
            region.open();
        if (region.isEmpty())
            region.append();
        else
            startEditing(region);
        region.post();
        region.SaveIfModified();
    } catch (...) {
        showErrorBox(std::current_exception());
        return false;
    }
    m_kodEdit->setText(inn);
    m_podrEdit->setText(subdivision);
    m_kodChanged = false;
    accept();
    return true;
}

void TPrForm::VubActExecute()
{
    updateVubAct();
    const QString kobl = selectedKobl();
    if (kobl.isEmpty())
        return;
    std::unique_ptr<TRnForm> picker;
    {
        const BusyCursorGuard busy;
        picker = std::make_unique<TRnForm>(m_dm.ProgramDir(), kobl, this);
    }
    if (picker->exec() != QDialog::Accepted)
        return;
    const QString code = picker->code();
    const QString shortName = picker->shortName();
    const QString okato = picker->okato();
    picker.reset();

    TozMemoryData& region = m_dm.spisokkr();
    if (!region.active())
        region.open();
    if (region.state() != TDataSetState::dsBrowse)
        region.cancel();
    region.ClearRecords();
    region.append();
    region.fieldByName(QStringLiteral("NGDU")).setAsString(code);
    region.fieldByName(QStringLiteral("NAME")).setAsString(shortName);
    region.fieldByName(QStringLiteral("FULLNAME"))
        .setAsString(m_subjectBox->currentText() + QLatin1Char(' ') + shortName);
    region.post();

    TozMemoryData& card = m_dm.PrTable();
    startEditing(card);
    card.fieldByName(QStringLiteral("OKCM")).setAsString(okato);
}

void TPrForm::cancelCardEdit() noexcept
{
    try {
        TozMemoryData& card = m_dm.PrTable();
        if (card.state() == TDataSetState::dsEdit || card.state() == TDataSetState::dsInsert)
            card.cancel();
    } catch (...) {
    }
}

void TPrForm::done(int result)
{
    m_closing = true;
    cancelCardEdit();
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
    if (event->type() == QEvent::KeyPress &&
        m_digitEdits.contains(qobject_cast<TOZDBEdit*>(watched))) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool allowedKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                key->key() == Qt::Key_Backspace;
        // Only the digits 0 to 9 are typed; other characters are dropped.
        if (!allowedKey && !text.isEmpty() && text.at(0).isPrint()) {
            for (QChar c : text) {
                if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                    return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
