#pragma once

#include <QStringList>

#include "UserInterface.h"

class CliArgs;
class QTextStream;

// f2tp-cli's user interface: what the program would show goes to standard
// error, and its questions are answered from the command-line options
//   --answer yes|no|cancel          every Yes/No(/Cancel) question (default yes:
//                                   the command itself is the user's request)
//   --on-error skip|skip-all|abort  the import's question about a bad value
//                                   (default abort; also --on-bad-value)
//   --replace yes|no                replacing an existing file (default yes)
//   --cancel-nitrogen-dialog        "Отмена" in the nitrogen oxide dialog
//                                   (default: "Принять" with its values as prefilled)
// No wait message, cursor or progress is shown.
class TCliUserInterface final : public TWindowlessInterface
{
public:
    explicit TCliUserInterface(QTextStream& err);
    Q_DISABLE_COPY_MOVE(TCliUserInterface)

    // Takes the options above out of the arguments; a bad value throws
    // CliUsageError.
    void takeOptions(CliArgs& args);

    void showError(const QString& text) override;
    void showApplicationError(const QString& text) override;
    void showWarning(const QString& caption, const QString& text) override;
    void showInformation(const QString& caption, const QString& text) override;
    TAnswer ask(const QString& caption, const QString& text, TQuestionButtons buttons) override;
    TSkipAnswer askSkip(const QString& text) override;
    bool replaceFile(const QString& fileName) override;
    void logProblem(const QString& text) override;
    bool editNitrogenOxide(const TNitrogenOxideTables& tables) override;

private:
    void write(const QString& caption, const QString& text);

    QTextStream& m_err;
    TAnswer m_answer = TAnswer::Yes;
    TSkipAnswer m_skipAnswer = TSkipAnswer::Abort;
    bool m_replace = true;
    bool m_cancelNitrogenOxide = false;
};
