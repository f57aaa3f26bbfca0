#pragma once

#include "ModelTestSupport.h"

// A report that passes every check: the card complete, row 102 of section 1
// with 10 t emitted and 10 t of it under norms, matched by section 2 (703),
// section 3 (row 301, column 4) and section 5 (row 501).
class FormTest : public ModelTest
{
protected:
    void SetUp() override;

    // Fills the card's seven mandatory details, then empties the named ones.
    void fillCard(const QStringList& emptyColumns = {});
    void setNumber(int section, int row, const char* column, double value);
    // The message of the failed check, or the empty text when it passed.
    QString checkMessage();
    // The warning boxes shown so far as "caption: text", and the wait
    // message's calls ("wait: T", "wait hidden"), in order.
    QStringList warnings() const;
    QStringList waitCalls() const;
    void forgetCalls() { ui->calls.clear(); }
};
