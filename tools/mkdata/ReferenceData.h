#pragma once

#include <QList>
#include <QString>

#include "Pollutants.h"
#include "RowTemplates.h"
#include "Territories.h"

// Everything the data files are made of, read from the folder of source files
// (resources/reference-data). Fails with F2tpError when a file cannot be read or
// a source is faulty.
struct ReferenceData
{
    QList<Pollutant> pollutants;
    QList<Subject> subjects;
    QList<Territory> territories;
    QList<RowTemplate> rows;

    static ReferenceData load(const QString& sourceDir);
};

// The source files the generator reads, relative to the source folder.
QStringList referenceSourceFiles();
