#pragma once

#include <memory>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include "MDM.h"
#include "ProgramFolder.h"
#include "ReportSections.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"

// Remembers what the program would have shown in its error boxes.
using RecordingUserInterface = TScriptedUserInterface;

// A data module on a scratch program folder, with its section logic, after
// ReadSettings and LoadSections as the main window does at start.
class ModelTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the data module and loads the sections (again, after a previous load).
    void load();

    TozMemoryData& section(int number);
    // Moves section's cursor to the row with CA = row; fails the test when missing.
    void go(int sectionNumber, int row);
    // Enters the text into the column of the row as the grid does: edit, enter, post.
    void enter(int sectionNumber, int row, const char* column, const QString& text);
    double value(int sectionNumber, int row, const char* column);
    bool isNull(int sectionNumber, int row, const char* column);
    QString shown(int sectionNumber, int row, const char* column);
    // The CA values of the section's rows in order.
    std::vector<int> rows(int sectionNumber);
    // The pollutant codes the pick list offers, in its order.
    std::vector<int> offered();

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<RecordingUserInterface> ui;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TReportSections> logic;
};
