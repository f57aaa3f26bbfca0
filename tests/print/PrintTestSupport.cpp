#include "PrintTestSupport.h"

#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>

#include "Cp1251.h"
#include "TvxReader.h"

QByteArray tvx(const QString& body)
{
    return Cp1251::encode(QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                                         "<tvx version=\"1\">\n") +
                          body + QStringLiteral("\n</tvx>\n"));
}

TvxTemplate readTvxText(const QString& body)
{
    return ReadTvx(tvx(body), QStringLiteral("test.tvx"));
}

QStringList pageTexts(const TLaidPage& page)
{
    QStringList texts;
    for (const TLaidText& text : page.texts)
        for (const TLaidLine& line : text.lines)
            texts.append(line.text);
    return texts;
}

RecordingPresenter::RecordingPresenter()
{
    setReportPresenter(this);
}

RecordingPresenter::~RecordingPresenter()
{
    setReportPresenter(nullptr);
}

QString runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool canReadXlsx()
{
    return !QStringLiteral(F2TP_PYTHON).isEmpty();
}

QJsonObject readXlsx(const QString& fileName)
{
    QProcess process;
    process.start(QStringLiteral(F2TP_PYTHON), {QStringLiteral(F2TP_XLSX_DUMP), fileName});
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}
