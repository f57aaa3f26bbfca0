// f2tp-mkdata SOURCE-DIR OUTPUT-DIR
// Builds the program's classifier and template data files from the reference
// data sources and writes them into OUTPUT-DIR.
#include <cstdio>

#include <QCoreApplication>
#include <QStringList>

#include "DataFiles.h"
#include "Errors.h"
#include "ReferenceData.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fputs("usage: f2tp-mkdata SOURCE-DIR OUTPUT-DIR\n", stderr);
        return 2;
    }
    try {
        writeDataFiles(ReferenceData::load(args.at(1)), args.at(2));
    } catch (const F2tpError& error) {
        std::fprintf(stderr, "f2tp-mkdata: %s\n", error.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
