#include "OrganisationCard.h"

#include "Errors.h"
#include "MDM.h"
#include "RegionPicker.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

const QString kKod = QStringLiteral("KOD");
const QString kInn = QStringLiteral("INN");

void startEditing(TDataSet& table)
{
    if (table.state() == TDataSetState::dsBrowse)
        table.edit();
}

// Puts both rows back in browse state when a save fails half-way, so the
// card can be saved again.
void cancelPending(TDataSet& table) noexcept
{
    try {
        if (table.active() && table.state() != TDataSetState::dsBrowse)
            table.cancel();
    } catch (...) {
    }
}

} // namespace

TOrganisationCard::TOrganisationCard(TDM& dm)
    : m_dm(dm)
{
    try {
        Open();
    } catch (...) {
        Cancel();
        throw;
    }
}

TOrganisationCard::~TOrganisationCard()
{
    Cancel();
}

void TOrganisationCard::Open()
{
    TozMemoryData& card = m_dm.PrTable();
    if (!card.active())
        card.open();
    if (card.isEmpty())
        card.append();

    TDM::declareSubjectColumns(m_oblDS);
    m_oblDS.setFileName(m_dm.ResourceDir() + QStringLiteral("data/klobl.xml"));
    m_oblDS.setSortFields(QStringLiteral("NAME"));
    m_oblDS.setCanEdit(false);
    m_oblDS.setCanInsert(false);
    m_oblDS.setCanDelete(false);
    m_oblDS.open();
    TozMemoryData& region = m_dm.spisokkr();
    if (!region.active())
        region.open();
    if (!region.isEmpty())
        selectKobl(region.fieldByName(QStringLiteral("NGDU")).asString().left(2));

    const auto parts =
        SplitKod(card.fieldByName(kKod).asString(), card.fieldByName(kInn).asString());
    m_innPartText = parts.first;
    m_subdivisionText = parts.second;
}

QString TOrganisationCard::InnPart(const QString& text)
{
    return text.trimmed();
}

QString TOrganisationCard::SubdivisionCode(const QString& text)
{
    const QString code = text.trimmed();
    bool ok = false;
    const qint64 number = code.toLongLong(&ok, 10);
    return ok && number != 0 ? code : QString();
}

std::pair<QString, QString> TOrganisationCard::SplitKod(const QString& kod, const QString& inn)
{
    const qsizetype length = !inn.isEmpty() && kod.startsWith(inn) ? inn.size() : MinInnLength;
    return {kod.left(length).trimmed(), kod.mid(length).trimmed()};
}

const QStringList& TOrganisationCard::Columns()
{
    static const QStringList columns{
        QStringLiteral("PNAZ"), QStringLiteral("NGDU1"), QStringLiteral("NGDU2"),
        QStringLiteral("INN"),  QStringLiteral("OKPO"),  QStringLiteral("OKOH1"),
        QStringLiteral("OKCM"), QStringLiteral("KOPF"),  QStringLiteral("KFS"),
        QStringLiteral("ADR"),  QStringLiteral("FIOR")};
    return columns;
}

bool TOrganisationCard::DigitsOnly(const QString& fieldName)
{
    static const QStringList digits{QStringLiteral("INN"),   QStringLiteral("OKPO"),
                                    QStringLiteral("OKOH1"), QStringLiteral("OKCM"),
                                    QStringLiteral("KOPF"),  QStringLiteral("KFS")};
    return digits.contains(fieldName, Qt::CaseInsensitive);
}

QString TOrganisationCard::TypedText(const QString& fieldName, const QString& text)
{
    if (!DigitsOnly(fieldName))
        return text;
    QString digits;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    return digits;
}

QString TOrganisationCard::selectedSubjectName()
{
    if (m_kobl.isEmpty() || !m_oblDS.locate(QStringLiteral("KOBL"), m_kobl))
        return QString();
    return m_oblDS.fieldByName(QStringLiteral("NAME")).asString();
}

bool TOrganisationCard::selectKobl(const QString& kobl)
{
    if (kobl.isEmpty() || !m_oblDS.locate(QStringLiteral("KOBL"), kobl))
        return false;
    m_kobl = kobl;
    return true;
}

void TOrganisationCard::setInnPartText(const QString& text)
{
    m_innPartText = text;
    m_kodChanged = true;
}

void TOrganisationCard::setSubdivisionText(const QString& text)
{
    m_subdivisionText = text;
    m_kodChanged = true;
}

void TOrganisationCard::setCodeTexts(const QString& innPart, const QString& subdivision)
{
    m_innPartText = innPart;
    m_subdivisionText = subdivision;
}

bool TOrganisationCard::KodEditExit()
{
    if (!m_kodChanged)
        return true;
    const QString inn = InnPart(m_innPartText);
    if (inn.size() < MinInnLength) {
        ShowApplicationError(std::make_exception_ptr(F2tpError(QStringLiteral("Неверный код"))));
        return false;
    }
    m_innPartText = inn;
    m_subdivisionText = SubdivisionCode(m_subdivisionText);
    TozMemoryData& card = m_dm.PrTable();
    TField& innField = card.fieldByName(kInn);
    if (innField.asString().isEmpty()) {
        startEditing(card);
        innField.setAsString(inn);
    }
    m_kodChanged = false;
    return true;
}

void TOrganisationCard::setFieldText(const QString& fieldName, const QString& text)
{
    TozMemoryData& card = m_dm.PrTable();
    TField& field = card.fieldByName(fieldName);
    startEditing(card);
    field.setText(TypedText(fieldName, text));
}

bool TOrganisationCard::Save()
{
    const QString inn = InnPart(m_innPartText);
    const QString subdivision = SubdivisionCode(m_subdivisionText);
    if (inn.size() < MinInnLength) {
        userInterface().showError(QStringLiteral("Неверный код предприятия"));
        return false;
    }
    TozMemoryData& card = m_dm.PrTable();
    TozMemoryData& region = m_dm.spisokkr();
    try {
        startEditing(card);
        card.fieldByName(kKod).setAsString(inn + subdivision);
        card.post();
        if (!region.active())
            region.open();
        if (region.isEmpty())
            region.append();
        else
            startEditing(region);
        region.post();
        // Both rows are posted before either file is written, so a refused
        // post writes nothing.
        card.SaveIfModified();
        region.SaveIfModified();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        cancelPending(region);
        try {
            std::rethrow_exception(error);
        } catch (const EAbort&) {
        } catch (...) {
            userInterface().showError(ErrorText(error));
        }
        return false;
    }
    m_innPartText = inn;
    m_subdivisionText = subdivision;
    m_kodChanged = false;
    return true;
}

void TOrganisationCard::Cancel() noexcept
{
    try {
        TozMemoryData& card = m_dm.PrTable();
        if (card.state() == TDataSetState::dsEdit || card.state() == TDataSetState::dsInsert)
            card.cancel();
    } catch (...) {
    }
}

void TOrganisationCard::ChooseTerritory(const TTerritory& territory)
{
    TozMemoryData& region = m_dm.spisokkr();
    if (!region.active())
        region.open();
    if (region.state() != TDataSetState::dsBrowse)
        region.cancel();
    region.ClearRecords();
    region.append();
    region.fieldByName(QStringLiteral("NGDU")).setAsString(territory.code);
    region.fieldByName(QStringLiteral("NAME")).setAsString(territory.shortName);
    region.fieldByName(QStringLiteral("FULLNAME"))
        .setAsString(selectedSubjectName() + QLatin1Char(' ') + territory.shortName);
    region.post();

    TozMemoryData& card = m_dm.PrTable();
    startEditing(card);
    card.fieldByName(QStringLiteral("OKCM")).setAsString(territory.okato);
}
