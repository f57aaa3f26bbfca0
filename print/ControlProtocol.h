#pragma once

class TDM;

// The control protocol: saves the five sections (an error there reaches the
// caller), then, when a report engine is loaded, fills the template
// "Contr2TPV.tvx" of the template folder with one block per rule (the
// heading, both values, the relation, "Условие не выполняется" on a violated
// rule) and the card's missing details near the top, and shows the report.
// An error while the protocol is built goes to the error box; the report is
// shown with what was built. The wait message shows while it is built.
void ShowControlProtocol(TDM& dm);

// What every print and export command does first: CheckForm; when the form
// fails, the error's message in a warning box captioned "Ошибка заполнения
// формы", then the control protocol. Returns whether the form passed; other
// errors reach the caller.
bool CheckFormOrShowProtocol(TDM& dm);
