#pragma once

#include <QByteArray>
#include <QString>

#include "TvxTemplate.h"

// Reads a ".tvx" template (print/TVX.md). Elements the reader does not know
// are skipped with their content. A file that cannot be read or is malformed
// fails with F2tpError "Шаблон <file>, строка <n>, столбец <m>: <what>"; an
// unreadable file fails with "Не удается открыть шаблон <file>".
TvxTemplate ReadTvxFile(const QString& fileName);
// The same for bytes already read; fileName only names them in messages.
TvxTemplate ReadTvx(const QByteArray& bytes, const QString& fileName);
