// The elapsed-time view and its unit choice in the project window.
#include "build/rundriver.h"
#include "settings/defaults.h"
#include "window/elapsedtimeview.h"
#include "windowtestutil.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

const QString kUnits = QStringLiteral("timeUnitsSelectionIndex");

TEST(ElapsedTimeView, StoredChoiceIsRestoredAndOutOfRangeFallsBackToSeconds)
{
    const struct {
        QVariant stored;
        int expected;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {7, 0}, {-3, 0}, {"garbage", 0}};
    for (const auto &c : cases) {
        Defaults::instance().setValue(kUnits, c.stored);
        ElapsedTimeView view;
        EXPECT_EQ(view.unitIndex(), c.expected) << c.stored.toString().toStdString();
        EXPECT_EQ(view.elapsedText(), "0.000");
    }
    Defaults::instance().setValue(kUnits, 0);
}

TEST(ElapsedTimeView, WindowConvertsTheShownTimeWhenTheUnitChanges)
{
    Defaults::instance().setValue(kUnits, 0);
    test::ProjectFixture fx;
    auto window = fx.open(fx.makeProject({{"a.f90", "program a\nend program a\n"}}));
    ElapsedTimeView *view = window->elapsedTimeView();
    ASSERT_NE(view, nullptr);

    window->runDriver()->setElapsedCPUTime(90); // 90 s
    view->setUnitIndex(1);
    EXPECT_EQ(view->elapsedText(), "1.500");
    EXPECT_EQ(Defaults::instance().intValue(kUnits), 1);
    view->setUnitIndex(2);
    EXPECT_EQ(view->elapsedText(), "0.025");
    view->setUnitIndex(0);
    EXPECT_EQ(view->elapsedText(), "90.000");
    EXPECT_DOUBLE_EQ(window->runDriver()->timeUnitsScale(), 1.0);
}

} // namespace
} // namespace corvane
