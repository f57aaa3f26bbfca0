#include "ReportXlsx.h"

#include <memory>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include "CNumericLocaleGuard.h"
#include "Errors.h"
#include "Report.h"
#include "XlsxError.h"
#include "XlsxFormats.h"
#include "XlsxSheet.h"
#include "XlsxSheetNames.h"

namespace {

using WorkbookPtr = std::unique_ptr<lxw_workbook, decltype(&lxw_workbook_free)>;

std::vector<QString> sheetNames(const TPreparedReport& report)
{
    std::vector<QString> names;
    for (const TvxSheet& sheet : report.sheets)
        names.push_back(sheet.name);
    return names;
}

void fillWorkbook(lxw_workbook* workbook, const TPreparedReport& report)
{
    const QByteArray title = report.title.toUtf8();
    lxw_doc_properties properties{};
    properties.title = const_cast<char*>(title.constData());
    CheckXlsx(workbook_set_properties(workbook, &properties));
    TXlsxFormats formats(workbook);
    const std::vector<QString> names = sheetNames(report);
    const std::vector<QString> valid = XlsxSheetNames(names);
    for (std::size_t i = 0; i < report.sheets.size(); ++i) {
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook, valid[i].toUtf8().constData());
        if (!worksheet)
            throw F2tpError(QStringLiteral("не удается добавить лист ") + valid[i]);
        WriteXlsxSheet(worksheet, formats, report.sheets[i], report.variables);
    }
}

// Builds the workbook as the file (a scratch file: libxlsxwriter writes by name).
void buildWorkbook(const TPreparedReport& report, const QString& scratchDir, const QString& path)
{
    const CNumericLocaleGuard numbersWithPoints;
    const QByteArray tmpdir = QDir::toNativeSeparators(scratchDir).toUtf8();
    lxw_workbook_options options{};
    // Its own temporary files go to the scratch folder, which is removed.
    options.tmpdir = const_cast<char*>(tmpdir.constData());
    WorkbookPtr workbook(
        workbook_new_opt(QDir::toNativeSeparators(path).toUtf8().constData(), &options),
        &lxw_workbook_free);
    if (!workbook)
        throw F2tpError(QStringLiteral("не хватает памяти"));
    fillWorkbook(workbook.get(), report);
    // Closing writes the file and frees the workbook, whatever it returns.
    CheckXlsx(workbook_close(workbook.release()));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw F2tpError(QStringLiteral("не удается прочитать временный файл"));
    return file.readAll();
}

} // namespace

void SaveReportAsXlsx(const TPreparedReport& report, const QString& fileName)
{
    const QString failure = QStringLiteral("Не удается записать файл ") + fileName;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw F2tpError(failure);
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        throw F2tpError(failure);
    QByteArray bytes;
    try {
        const QString path = scratch.filePath(QStringLiteral("book.xlsx"));
        buildWorkbook(report, scratch.path(), path);
        bytes = readAll(path);
    } catch (const F2tpError& e) {
        throw F2tpError(failure + QStringLiteral(": ") + e.message());
    }
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw F2tpError(failure);
}
