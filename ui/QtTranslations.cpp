#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

void InstallRussianQtTexts()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString besideProgram =
        QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    for (const QString& folder :
         {besideProgram, QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator->load(QStringLiteral("qtbase_ru"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    delete translator;
}
