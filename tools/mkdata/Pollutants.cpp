#include "Pollutants.h"

#include <algorithm>
#include <map>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "Errors.h"
#include "SectionLayout.h"

namespace {

// Position 51 of the list groups three dusts under one name; the codes keep
// their long-standing individual names, which the grouped name covers in turn.
const std::map<int, QString>& individualNames()
{
    static const std::map<int, QString> names = {
        {2907, QStringLiteral("Пыль неорганическая: более 70% SiO2")},
        {2908, QStringLiteral("Пыль неорганическая: 70-20% SiO2")},
        {2909, QStringLiteral("Пыль неорганическая: до 20% SiO2")},
    };
    return names;
}

QJsonObject parseJsonObject(const QByteArray& bytes, const QString& sourceName)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw F2tpError(sourceName + QStringLiteral(": ") + error.errorString() +
                        QStringLiteral(" at offset ") + QString::number(error.offset));
    if (!document.isObject())
        throw F2tpError(sourceName + QStringLiteral(": not a JSON object"));
    return document.object();
}

int parseCode(const QString& text, const QString& sourceName)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    if (!fourDigits.match(text).hasMatch() || text == QStringLiteral("0000"))
        throw F2tpError(sourceName + QStringLiteral(": bad pollutant code '") + text +
                        QStringLiteral("'"));
    return text.toInt();
}

int parsePosition(const QString& text, const QString& sourceName)
{
    bool ok = false;
    const int position = text.toInt(&ok);
    if (!ok || position <= 0)
        throw F2tpError(sourceName + QStringLiteral(": bad position '") + text +
                        QStringLiteral("'"));
    return position;
}

// Names by position from the rows "| 1 | name in the earlier act | name in the list | result |".
std::map<int, QString> readNames(const QString& markdown)
{
    const QString source = QStringLiteral("pollutant names");
    static const QRegularExpression rowStart(QStringLiteral("^\\|\\s*[0-9]+\\s*\\|"));
    std::map<int, QString> names;
    const QStringList lines = markdown.split(u'\n');
    for (QString line : lines) {
        line = line.trimmed();
        if (!rowStart.match(line).hasMatch())
            continue;
        if (!line.endsWith(u'|'))
            throw F2tpError(source + QStringLiteral(": unterminated table row: ") + line);
        const QStringList cells = line.mid(1, line.size() - 2).split(u'|');
        if (cells.size() != 4)
            throw F2tpError(source + QStringLiteral(": a row needs 4 cells: ") + line);
        const int position = parsePosition(cells.at(0).trimmed(), source);
        const QString name = cleanPollutantName(cells.at(2));
        if (name.isEmpty())
            throw F2tpError(source + QStringLiteral(": no name for position ") +
                            QString::number(position));
        if (!names.emplace(position, name).second)
            throw F2tpError(source + QStringLiteral(": position ") + QString::number(position) +
                            QStringLiteral(" given twice"));
    }
    return names;
}

} // namespace

QString cleanPollutantName(const QString& name)
{
    // Only tags: a name may compare with "<" itself ("Угольная зола (20<SiO2<70)").
    static const QRegularExpression markup(QStringLiteral("</?[A-Za-z][A-Za-z0-9]*\\s*/?>"));
    QString text = name;
    text.remove(markup);
    return text.simplified();
}

QString fitWidth(const QString& text, qsizetype width)
{
    QString prefix = text.left(width);
    while (!prefix.isEmpty() && prefix.back().isSpace())
        prefix.chop(1);
    return prefix;
}

QList<Pollutant> joinPollutants(const QByteArray& positionsJson, const QString& namesMarkdown,
                                const QByteArray& additionalJson)
{
    const QString positionsSource = QStringLiteral("pollutant positions");
    const QString additionalSource = QStringLiteral("additional pollutant codes");
    const std::map<int, QString> names = readNames(namesMarkdown);

    std::map<int, Pollutant> byCode;
    auto add = [&byCode](const Pollutant& pollutant, const QString& source) {
        if (!byCode.emplace(pollutant.code, pollutant).second)
            throw F2tpError(source + QStringLiteral(": code ") +
                            QString::number(pollutant.code).rightJustified(4, u'0') +
                            QStringLiteral(" given twice"));
    };

    const QJsonValue positionsValue =
        parseJsonObject(positionsJson, positionsSource).value(QStringLiteral("positions"));
    if (!positionsValue.isObject())
        throw F2tpError(positionsSource + QStringLiteral(": no object \"positions\""));
    const QJsonObject positions = positionsValue.toObject();
    for (auto it = positions.begin(); it != positions.end(); ++it) {
        const int position = parsePosition(it.key(), positionsSource);
        const auto name = names.find(position);
        if (name == names.end())
            throw F2tpError(positionsSource + QStringLiteral(": no name for position ") + it.key());
        if (!it.value().isArray() || it.value().toArray().isEmpty())
            throw F2tpError(positionsSource + QStringLiteral(": no codes for position ") +
                            it.key());
        const QJsonArray codes = it.value().toArray();
        for (const QJsonValue& codeValue : codes) {
            Pollutant pollutant;
            pollutant.code = parseCode(codeValue.toString(), positionsSource);
            pollutant.position = position;
            pollutant.regulated = true;
            if (codes.size() == 1) {
                pollutant.name = name->second;
            } else {
                // A grouped name would give several codes the same text.
                const auto individual = individualNames().find(pollutant.code);
                if (individual == individualNames().end())
                    throw F2tpError(positionsSource + QStringLiteral(": position ") + it.key() +
                                    QStringLiteral(" groups several codes; code ") +
                                    codeValue.toString() +
                                    QStringLiteral(" has no name of its own"));
                pollutant.name = individual->second;
            }
            add(pollutant, positionsSource);
        }
    }

    const QJsonObject additional = parseJsonObject(additionalJson, additionalSource);
    const QJsonArray records = additional.value(QStringLiteral("records")).toArray();
    const QJsonValue expected = additional.value(QStringLiteral("expected_record_count"));
    if (!expected.isUndefined() && expected.toInt(-1) != records.size())
        throw F2tpError(additionalSource + QStringLiteral(": ") + QString::number(records.size()) +
                        QStringLiteral(" records, ") + QString::number(expected.toInt(-1)) +
                        QStringLiteral(" expected"));
    for (const QJsonValue& value : records) {
        const QJsonObject record = value.toObject();
        Pollutant pollutant;
        pollutant.code =
            parseCode(record.value(QStringLiteral("code")).toString(), additionalSource);
        pollutant.name = cleanPollutantName(record.value(QStringLiteral("name")).toString());
        pollutant.position =
            parsePosition(record.value(QStringLiteral("position")).toString(), additionalSource);
        pollutant.regulated = false;
        if (pollutant.name.isEmpty())
            throw F2tpError(additionalSource + QStringLiteral(": no name for code ") +
                            record.value(QStringLiteral("code")).toString());
        add(pollutant, additionalSource);
    }

    QList<Pollutant> result;
    result.reserve(qsizetype(byCode.size()));
    for (const auto& entry : byCode)
        result.append(entry.second);
    return result;
}

QList<Pollutant> withOtherPollutants(QList<Pollutant> pollutants)
{
    const auto at = std::lower_bound(
        pollutants.begin(), pollutants.end(), SectionLayout::OtherPollutants,
        [](const Pollutant& pollutant, int code) { return pollutant.code < code; });
    if (at != pollutants.end() && at->code == SectionLayout::OtherPollutants)
        return pollutants;
    Pollutant other;
    other.code = SectionLayout::OtherPollutants;
    other.name = QStringLiteral("прочие загрязняющие вещества");
    pollutants.insert(at, other);
    return pollutants;
}
