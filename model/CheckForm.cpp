#include "CheckForm.h"

#include <array>
#include <memory>

#include "MDM.h"
#include "UserInterface.h"

namespace {

// Suspends the bound controls of the five sections for a scope.
class SectionsSuspended
{
public:
    explicit SectionsSuspended(TDM& dm)
        : m_guards{std::make_unique<TControlsDisabler>(dm.R1Table()),
                   std::make_unique<TControlsDisabler>(dm.R2Table()),
                   std::make_unique<TControlsDisabler>(dm.R3Table()),
                   std::make_unique<TControlsDisabler>(dm.R4Table()),
                   std::make_unique<TControlsDisabler>(dm.R5Table())}
    {
    }

private:
    std::array<std::unique_ptr<TControlsDisabler>, 5> m_guards;
};

} // namespace

void CheckForm(TDM& dm)
{
    TFormCheck check(dm);
    const QList<TFinding> card = check.CardFindings();
    if (!card.isEmpty())
        throw T2tpException(card.first().message);
    for (int section = 1; section <= 5; ++section)
        dm.sectionTable(section).SaveIfModified();
    SectionsSuspended suspended(dm);
    // Stops at the first error, so the rules after it are not read.
    check.VisitRules(FormRules::Rules(), [](TFinding&& finding) {
        if (finding.kind != TFindingKind::Tolerated)
            throw T2tpException(finding.message);
        userInterface().showWarning(QStringLiteral("Внимание"), finding.message);
        return true;
    });
}
