#include "XlsxError.h"

#include "Errors.h"

namespace {

QString reason(lxw_error error)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("не хватает памяти");
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("ошибка записи на диск");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("текст ячейки длиннее 32767 знаков");
    case LXW_ERROR_255_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("колонтитул длиннее 255 знаков");
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return QStringLiteral("лист больше, чем допускает Excel");
    default:
        return QString::fromUtf8(lxw_strerror(error));
    }
}

} // namespace

void CheckXlsx(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw F2tpError(reason(error));
}
