#include "CliText.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <QTextStream>

#include "Errors.h"
#include "ozField.h"
#include "ozMemoryData.h"

QString cliEscaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        default:
            out += c;
        }
    }
    return out;
}

void cliPrintTable(TozMemoryData& table, QTextStream& out)
{
    QStringList line;
    for (int i = 0; i < table.fieldCount(); ++i)
        line << cliEscaped(table.field(i).fieldName());
    out << line.join(u'\t') << '\n';
    for (table.first(); !table.eof(); table.next()) {
        line.clear();
        for (int i = 0; i < table.fieldCount(); ++i)
            line << cliEscaped(table.field(i).displayText());
        out << line.join(u'\t') << '\n';
    }
}

TProgramFolders cliReportFolders(const QString& dir)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty())
        return LocateProgramFolders(programDir);
    if (!QDir(dir).exists())
        throw F2tpError(QStringLiteral("No such program folder: ") + dir);
    return FoldersOfReport(QDir(dir).absolutePath(), programDir);
}
