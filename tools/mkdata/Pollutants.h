#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One pollutant of the classifier, as the generator joins it from the sources.
struct Pollutant
{
    int code = 0;           // the four-digit code as a number (0301 is 301)
    QString name;           // the full name, markup removed; the data file keeps a prefix
    int position = 0;       // position of the government list the code belongs to
    bool regulated = false; // listed by position in the list of regulated substances
};

// Joins the three pollutant sources: the government list's positions with their
// codes (JSON), the list's names by position (a Markdown table whose third column
// is the list's own wording) and the further codes the list's groups cover (JSON,
// with names). The result is sorted by code. Fails with F2tpError on a malformed
// source, a position without a name, a code given twice, or a position of several
// codes for which no individual names are known.
QList<Pollutant> joinPollutants(const QByteArray& positionsJson, const QString& namesMarkdown,
                                const QByteArray& additionalJson);

// The pollutants with an entry for the code of the statistics print's summary
// row of other pollutants, which no source lists: the form's own plain words
// "прочие загрязняющие вещества", not marked for statistics. A source's entry
// for that code stays as it is. Sorted by code, as given.
QList<Pollutant> withOtherPollutants(QList<Pollutant> pollutants);

// Drops the HTML markup the names carry (C<sub>6</sub> becomes C6) and folds runs
// of white space into one blank.
QString cleanPollutantName(const QString& name);

// The prefix of a text that fits a string column of the given width, without
// trailing blanks.
QString fitWidth(const QString& text, qsizetype width);
