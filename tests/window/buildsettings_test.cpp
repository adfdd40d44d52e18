// Build settings in windows, driven with real mouse and key events: the preferences window's
// parallel-build controls and the options pane's module-aware switch.
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "window/optionspane.h"
#include "window/preferenceswindow.h"
#include "windowtestutil.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QThread>

namespace corvane
{
namespace
{

TEST(PreferencesWindow, ParallelJobsBesideTheSwitchAreStoredAndUsedOnlyWhenItIsOn)
{
    Defaults &d = Defaults::instance();
    d.remove(keys::parallelBuild);
    d.remove(keys::parallelJobs);
    EXPECT_EQ(d.intValue(keys::parallelJobs), std::max(1, QThread::idealThreadCount()));

    RecordingPrompts prompts;
    PreferencesWindow window(&prompts);
    window.show();
    auto *parallel = window.findChild<QCheckBox *>("parallelBuild");
    auto *jobs = window.findChild<QSpinBox *>("parallelJobs");
    ASSERT_TRUE(parallel && jobs);
    EXPECT_EQ(jobs->value(), d.intValue(keys::parallelJobs));
    EXPECT_FALSE(jobs->isEnabled());
    // On the same row as the switch.
    EXPECT_LT(std::abs(jobs->mapTo(&window, jobs->rect().center()).y() -
                       parallel->mapTo(&window, parallel->rect().center()).y()),
              jobs->height());

    QTest::mouseClick(parallel, Qt::LeftButton, {}, QPoint(8, parallel->height() / 2));
    EXPECT_TRUE(d.boolValue(keys::parallelBuild));
    ASSERT_TRUE(jobs->isEnabled());
    jobs->setFocus();
    jobs->selectAll();
    QTest::keyClicks(jobs, "3");
    EXPECT_EQ(d.intValue(keys::parallelJobs), 3);
    QTest::keyClick(jobs, Qt::Key_Up);
    EXPECT_EQ(d.intValue(keys::parallelJobs), 4);

    // A second window shows what was stored.
    PreferencesWindow again(&prompts);
    EXPECT_EQ(again.findChild<QSpinBox *>("parallelJobs")->value(), 4);
    EXPECT_TRUE(again.findChild<QSpinBox *>("parallelJobs")->isEnabled());
    d.remove(keys::parallelBuild);
    d.remove(keys::parallelJobs);
}

TEST(OptionsPane, ModuleAwareSwitchFollowsAndSetsTheProject)
{
    MyDocument document;
    OptionsPane pane(&document);
    pane.show();
    auto *box = pane.findChild<QCheckBox *>("moduleAwareRebuilds");
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    EXPECT_FALSE(document.moduleAwareRebuilds());
    EXPECT_TRUE(document.needsFullRecompile());
    document.setModuleAwareRebuilds(true);
    EXPECT_TRUE(box->isChecked()) << "the pane follows the document";
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(document.moduleAwareRebuilds());
}

} // namespace
} // namespace corvane
