// f2tp-cli card, region: the organisation card and its district or city
// pickers on a program folder, through the card's rules as its window applies
// them. Only a successful "Сохранить" writes "B0002.xml" and "spisokkr.xml".
#include <initializer_list>
#include <optional>

#include <QTextStream>

#include "CliArgs.h"
#include "CliCommand.h"
#include "CliText.h"
#include "Errors.h"
#include "MDM.h"
#include "OrganisationCard.h"
#include "RegionPicker.h"
#include "ReportSections.h"
#include "ozMemoryData.h"

namespace {

struct CardRequest
{
    QString dir;
    std::optional<QString> innPart;
    std::optional<QString> subdivision;
    QList<std::pair<QString, QString>> columns;
};

CardRequest parseCard(const QStringList& rawArgs)
{
    CliArgs args(rawArgs);
    CardRequest request;
    request.innPart = args.value(QStringLiteral("--inn-part"));
    request.subdivision = args.value(QStringLiteral("--subdivision"));
    QStringList words = args.positional();
    // A column is always typed as COLUMN=VALUE: a first word without "=" is DIR.
    if (!words.isEmpty() && !words.first().contains(QLatin1Char('=')))
        request.dir = words.takeFirst();
    for (const QString& arg : std::as_const(words)) {
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString column = arg.left(equals).toUpper();
        if (equals <= 0 || !TOrganisationCard::Columns().contains(column))
            throw CliUsageError(QStringLiteral("Not a column of the card: ") + arg.left(equals) +
                                QStringLiteral(" (") +
                                TOrganisationCard::Columns().join(QStringLiteral(", ")) +
                                QLatin1Char(')'));
        request.columns.append({column, arg.mid(equals + 1)});
    }
    return request;
}

// Each table under its name, a blank line between them.
void printTables(QTextStream& out, std::initializer_list<TozMemoryData*> tables)
{
    const char* gap = "";
    for (TozMemoryData* table : tables) {
        out << gap << table->name() << '\n';
        cliPrintTable(*table, out);
        gap = "\n";
    }
}

// A person first types the code edits and leaves them, then the columns, then
// presses "Сохранить"; the messages go where the card shows them.
int cardCommand(const QStringList& args, CliContext& ctx)
{
    const CardRequest request = parseCard(args);
    TDM dm(cliReportFolders(request.dir));
    const bool edits = request.innPart || request.subdivision || !request.columns.isEmpty();
    if (!edits) {
        TReportSections(dm).RefreshContext();
        printTables(ctx.out, {&dm.PrTable(), &dm.spisokkr()});
        return 0;
    }
    TOrganisationCard card(dm);
    if (request.innPart)
        card.setInnPartText(*request.innPart);
    if (request.subdivision)
        card.setSubdivisionText(*request.subdivision);
    if (card.KodEditExit()) {
        for (const auto& [column, value] : request.columns)
            card.setFieldText(column, value);
    }
    if (!card.Save())
        return 1;
    // The report context follows the saved card, as after the window closes.
    TReportSections(dm).RefreshContext();
    printTables(ctx.out, {&dm.PrTable()});
    return 0;
}

// The territory is chosen in the subject its code begins with, as in the
// pickers, then the card is saved.
int regionCommand(const QStringList& rawArgs, CliContext& ctx)
{
    const CliReportArgs args = CliReportArgs::split(CliArgs(rawArgs).positional(), 1, 1);
    if (args.rest.size() != 1)
        throw CliUsageError(QStringLiteral("region needs [DIR] and the territory's KOD"));
    TDM dm(cliReportFolders(args.dir));
    const QString& kod = args.rest.at(0);
    TOrganisationCard card(dm);
    std::optional<TTerritory> chosen;
    if (card.selectKobl(kod.left(2)))
        chosen = TRegionPicker(dm.ResourceDir(), card.selectedKobl()).Find(kod);
    if (!chosen)
        throw F2tpError(QStringLiteral("No district or city has the code ") + kod);
    card.ChooseTerritory(*chosen);
    if (!card.Save())
        return 1;
    TReportSections(dm).RefreshContext();
    printTables(ctx.out, {&dm.spisokkr()});
    return 0;
}

const CliRegistration
    cardRegistration("card", "card [DIR] [--inn-part TEXT] [--subdivision TEXT] [COLUMN=VALUE...]",
                     cardCommand);
const CliRegistration regionRegistration("region", "region [DIR] KOD", regionCommand);

} // namespace
