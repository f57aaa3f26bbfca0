#include "ProgramWindows.h"

#include "AboutNew.h"
#include "MDM.h"
#include "Main.h"
#include "Vubor.h"

TProgramWindows::TProgramWindows(const QString& programDir)
    : m_dm(std::make_unique<TDM>(programDir))
{
    m_form = new TF2tpForm(*m_dm);
    try {
        CreateListForm(m_form);
        // Kept hidden for the run, as the about command makes a fresh one.
        auto* about = new TFAbout(m_form);
        about->hide();
    } catch (...) {
        delete m_form;
        throw;
    }
}

TProgramWindows::~TProgramWindows()
{
    delete m_form;
    m_dm.reset();
}
