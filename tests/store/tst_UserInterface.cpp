#include <gtest/gtest.h>

#include "Errors.h"
#include "StoreTestSupport.h"
#include "UserInterface.h"

namespace {

TEST(UserInterface, GuardsRestoreWhatWasInstalledAndShownEvenOnErrors)
{
    TScriptedUserInterface outer;
    {
        TScriptedUserInterface inner;
        EXPECT_EQ(&userInterface(), &inner);
        try {
            const WaitMessageGuard wait;
            const BusyCursorGuard busy;
            EXPECT_TRUE(inner.waitShown());
            EXPECT_EQ(inner.busyDepth(), 1);
            throw F2tpError(QStringLiteral("Сбой"));
        } catch (const F2tpError&) {
        }
        EXPECT_FALSE(inner.waitShown());
        EXPECT_EQ(inner.busyDepth(), 0);
        EXPECT_EQ(inner.calls,
                  (QStringList{QStringLiteral("wait: Подождите, идет обработка данных..."),
                               QStringLiteral("busy"), QStringLiteral("not busy"),
                               QStringLiteral("wait hidden")}));
    }
    EXPECT_EQ(&userInterface(), &outer);
    EXPECT_TRUE(outer.calls.isEmpty());
}

TEST(UserInterface, RunAtEdgeShowsWhatEscapesAndDropsTheSilentAbort)
{
    TScriptedUserInterface ui;
    EXPECT_TRUE(RunAtEdge([] {}));
    EXPECT_FALSE(RunAtEdge([] { throw EAbort(); }));
    EXPECT_TRUE(ui.calls.isEmpty());
    EXPECT_FALSE(RunAtEdge([] { throw EDatabaseError(QStringLiteral("R2Table: Сбой")); }));
    EXPECT_EQ(ui.calls, QStringList{QStringLiteral("application error: R2Table: Сбой.")});
}

} // namespace
