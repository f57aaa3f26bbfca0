#pragma once

#include <QString>

#include "Errors.h"
#include "FormFindings.h"

class TDM;

// The form filling error: a consistency rule of the form or a mandatory
// detail of the card does not hold. Raised only by CheckForm.
class T2tpException : public F2tpError
{
public:
    using F2tpError::F2tpError;
};

// The check run before the form leaves the program: the card's mandatory
// details, the save of the five sections, then the rules of FormRules::Rules
// in order. The first violated one raises T2tpException with its message; a
// tolerated difference of rules 4 and 5 shows a warning box captioned
// "Внимание" and the check goes on; advisory findings are not its concern.
// The sections' bound controls are suspended while the rules run, and their
// current rows stay where the rules' reading left them.
void CheckForm(TDM& dm);
