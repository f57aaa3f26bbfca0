#include "LocateFieldText.h"

#include <utility>

#include "ozField.h"

namespace {

// Takes a table's AfterScroll handler away for a scope.
class AfterScrollDetacher
{
public:
    explicit AfterScrollDetacher(TDataSet& dataSet)
        : m_dataSet(dataSet)
        , m_handler(std::move(dataSet.AfterScroll))
    {
        m_dataSet.AfterScroll = nullptr;
    }
    ~AfterScrollDetacher() { m_dataSet.AfterScroll = std::move(m_handler); }
    Q_DISABLE_COPY_MOVE(AfterScrollDetacher)

private:
    TDataSet& m_dataSet;
    TDataSet::TDataSetNotifyEvent m_handler;
};

} // namespace

namespace GridLocate {

bool LocateFieldText(TDataSet& dataSet, TField* field, const QString& text, TLocateOptions options,
                     bool forward, bool next, bool fromStart)
{
    if (!field)
        return false;
    const bool caseInsensitive = options.testFlag(TLocateOption::loCaseInsensitive);
    const bool partial = options.testFlag(TLocateOption::loPartialKey);
    const QString key = caseInsensitive ? text.toUpper() : text;
    bool found = false;
    {
        // Declared in this order so that AfterScroll is back before controls resume.
        TControlsDisabler disabler(dataSet);
        AfterScrollDetacher detacher(dataSet);
        const TBookmark remembered = dataSet.bookmark();
        const int step = forward ? 1 : -1;
        try {
            if (fromStart) {
                if (forward)
                    dataSet.first();
                else
                    dataSet.last();
            }
            if (next && !(forward ? dataSet.eof() : dataSet.bof()))
                dataSet.moveBy(step);
            // The end flag of the search direction ends the walk, so a step
            // past the last record does not test that record again.
            while (!dataSet.isEmpty() && !(forward ? dataSet.eof() : dataSet.bof())) {
                QString value = field->editText();
                if (caseInsensitive)
                    value = value.toUpper();
                if (!key.isEmpty() && !value.isEmpty() &&
                    (partial ? value.startsWith(key) : value == key)) {
                    found = true;
                    break;
                }
                dataSet.moveBy(step);
            }
            if (!found && remembered && dataSet.bookmarkValid(remembered))
                dataSet.gotoBookmark(remembered);
        } catch (...) {
            if (remembered && dataSet.bookmarkValid(remembered)) {
                try {
                    dataSet.gotoBookmark(remembered);
                } catch (...) {
                }
            }
            throw;
        }
    }
    if (found && dataSet.AfterScroll)
        dataSet.AfterScroll(dataSet);
    return found;
}

} // namespace GridLocate
