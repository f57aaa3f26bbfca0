// The main window's control command: the protocol of the form's checks.
#include "Main.h"

#include "ControlProtocol.h"
#include "UserInterface.h"

void TF2tpForm::ContrActExecute()
{
    // The value being typed belongs to the report the protocol checks.
    if (!postSections())
        return;
    // The list first: the protocol's preview is modal, the pane stays after it.
    showFindings();
    try {
        ShowControlProtocol(m_dm);
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
}
