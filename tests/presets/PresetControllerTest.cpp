// The preset controller over a sound target that keeps every change it is
// given, as the panel's model does: each apply is one change, the modified
// mark follows the sound, and undo takes back whole steps.
#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "presets/FactoryPresets.h"
#include "presets/PresetController.h"
#include "presets/PresetStore.h"
#include "presets/UndoActions.h"
#include "RecordingSoundTarget.h"

namespace {

const Preset& factory(const char* name)
{
    return *FactoryPresets::find(QString::fromLatin1(name));
}

class PresetControllerTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    RecordingSoundTarget m_target;
    PresetStore m_store{m_dir.filePath(QStringLiteral("presets"))};
    PresetController m_controller{m_target, m_store};
    QString m_why;
};

} // namespace

TEST_F(PresetControllerTest, ApplyingAPresetIsOneChangeAndTheMarkFollowsTheSound)
{
    QSignalSpy state(&m_controller, &PresetController::stateChanged);
    ASSERT_TRUE(m_controller.apply(QStringLiteral("Voice"), &m_why)) << qPrintable(m_why);
    EXPECT_EQ(m_target.applied, QList<PresetSound>{factory("Voice").sound}) << "one change with every value";
    EXPECT_EQ(m_controller.active(), QStringLiteral("Voice"));
    EXPECT_FALSE(m_controller.modified());
    EXPECT_FALSE(state.isEmpty());

    // Mid-drag the mark is on already; dragging back clears it.
    m_target.drag(2, {-2, -1});
    EXPECT_TRUE(m_controller.modified());
    m_target.drag(2, {-2, factory("Voice").sound.stages[1]});
    EXPECT_FALSE(m_controller.modified());
    m_target.toggleDenoise();
    EXPECT_TRUE(m_controller.modified());

    // Saving the sound under the active name makes it match again.
    ASSERT_TRUE(m_controller.saveCurrent(QStringLiteral("My voice"), &m_why)) << qPrintable(m_why);
    EXPECT_EQ(m_controller.active(), QStringLiteral("My voice"));
    EXPECT_FALSE(m_controller.modified());
    EXPECT_EQ(m_store.find(QStringLiteral("My voice"))->sound, m_target.current);
    EXPECT_EQ(m_target.applied.size(), 1) << "saving sends nothing";

    // Deleting the active preset leaves none active and no mark.
    ASSERT_TRUE(m_store.remove(QStringLiteral("My voice"), &m_why));
    EXPECT_TRUE(m_controller.active().isEmpty());
    EXPECT_FALSE(m_controller.modified());
}

TEST_F(PresetControllerTest, AnUnknownOrRefusedPresetChangesNothing)
{
    ASSERT_TRUE(m_controller.apply(QStringLiteral("Podcast"), &m_why));
    EXPECT_FALSE(m_controller.apply(QStringLiteral("Nope"), &m_why));
    EXPECT_EQ(m_why, QStringLiteral("there is no preset \"Nope\""));
    m_target.refusal = QStringLiteral("the model is busy");
    EXPECT_FALSE(m_controller.apply(QStringLiteral("Music"), &m_why));
    EXPECT_EQ(m_why, QStringLiteral("the model is busy"));
    EXPECT_EQ(m_controller.active(), QStringLiteral("Podcast"));
    EXPECT_EQ(m_target.applied.size(), 1);
    m_target.refusal.clear();

    // The refused apply left no step behind: one undo goes back before Podcast.
    ASSERT_TRUE(m_controller.undo(&m_why));
    EXPECT_EQ(m_target.current, PresetSound{});
    EXPECT_FALSE(m_controller.canUndo());
}

TEST_F(PresetControllerTest, UndoTakesBackWholeStepsAsOneChangeEachAndRedoReplaysThem)
{
    const PresetSound start = m_target.current;
    m_target.drag(3, {1, 2, 3, 4, 5, 6});       // one step, however long the drag
    ASSERT_TRUE(m_controller.apply(QStringLiteral("Music"), &m_why));
    m_target.resetStages();                      // one step for all five stages
    const PresetSound afterReset = m_target.current;
    EXPECT_TRUE(m_controller.modified());

    m_target.applied.clear();
    ASSERT_TRUE(m_controller.undo(&m_why)) << qPrintable(m_why);
    EXPECT_EQ(m_target.applied, QList<PresetSound>{factory("Music").sound}) << "the reset undone in one change";
    EXPECT_FALSE(m_controller.modified());
    ASSERT_TRUE(m_controller.undo(&m_why));
    PresetSound dragged = start;
    dragged.stages[2] = 6;
    EXPECT_EQ(m_target.current, dragged) << "the preset undone: back to the dragged sound";
    EXPECT_TRUE(m_controller.active().isEmpty()) << "and to no active preset";
    ASSERT_TRUE(m_controller.undo(&m_why));
    EXPECT_EQ(m_target.current, start) << "the whole drag undone";
    EXPECT_FALSE(m_controller.undo(&m_why));
    EXPECT_EQ(m_target.applied.size(), 3) << "each undo one change, nothing recorded as a new step";
    EXPECT_EQ(m_target.restored, (QList<PresetSound>{factory("Music").sound, start}))
        << "the reset and the drag taken back as made by hand, the preset as a whole";

    ASSERT_TRUE(m_controller.redo(&m_why));
    ASSERT_TRUE(m_controller.redo(&m_why));
    EXPECT_EQ(m_controller.active(), QStringLiteral("Music"));
    ASSERT_TRUE(m_controller.redo(&m_why));
    EXPECT_EQ(m_target.current, afterReset);
    EXPECT_FALSE(m_controller.canRedo());

    // A new step after an undo drops what could have been redone.
    ASSERT_TRUE(m_controller.undo(&m_why));
    m_target.toggleDenoise();
    EXPECT_FALSE(m_controller.canRedo());
}

TEST_F(PresetControllerTest, UndoInTheMiddleOfADragTakesBackTheDragAndAFailedUndoKeepsItsStep)
{
    m_target.drag(1, {4});
    m_target.hold(1, 5);
    m_target.hold(1, 6);
    ASSERT_TRUE(m_controller.undo(&m_why));
    EXPECT_EQ(m_target.current.stages[0], 4);

    m_target.refusal = QStringLiteral("refused");
    EXPECT_FALSE(m_controller.undo(&m_why));
    EXPECT_EQ(m_target.current.stages[0], 4);
    m_target.refusal.clear();
    ASSERT_TRUE(m_controller.undo(&m_why)) << "the refused step is still there";
    EXPECT_EQ(m_target.current.stages[0], 0);
    ASSERT_TRUE(m_controller.redo(&m_why));
    ASSERT_TRUE(m_controller.redo(&m_why));
    EXPECT_EQ(m_target.current.stages[0], 6);
}

TEST_F(PresetControllerTest, OnlyTheLastHundredStepsAreKept)
{
    for (int i = 0; i < 130; ++i)
        m_target.toggleDenoise();
    int undone = 0;
    while (m_controller.undo(&m_why))
        ++undone;
    EXPECT_EQ(undone, 100);
    EXPECT_FALSE(m_target.current.denoise) << "30 steps in, which is off after an even count";
}

TEST_F(PresetControllerTest, CtrlZAndCtrlShiftZInTheWindowUndoAndRedoAndAreEnabledOnlyWithAStepToTake)
{
    QWidget window;
    UndoActions actions(m_controller);
    window.addActions({actions.undoAction(), actions.redoAction()});
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_FALSE(actions.undoAction()->isEnabled());
    EXPECT_FALSE(actions.redoAction()->isEnabled());

    m_target.hold(4, 3);
    EXPECT_TRUE(actions.undoAction()->isEnabled()) << "a drag still held can be undone";
    m_target.drag(4, {9});
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_target.current, PresetSound{});
    EXPECT_FALSE(actions.undoAction()->isEnabled());
    EXPECT_TRUE(actions.redoAction()->isEnabled());
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m_target.current.stages[3], 9);

    QSignalSpy failed(&actions, &UndoActions::failed);
    m_target.refusal = QStringLiteral("the device is busy");
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed.first().first().toString(), QStringLiteral("Cannot undo: the device is busy"));
    EXPECT_TRUE(actions.undoAction()->isEnabled());
}

// A preset renamed or deleted after the step: undo and redo bring the sound
// back as a hand change and never make the vanished name active.
TEST_F(PresetControllerTest, UndoAndRedoNeverMakeAVanishedPresetActive)
{
    for (const bool renamed : {false, true}) {
        SCOPED_TRACE(renamed ? "renamed" : "deleted");
        ASSERT_TRUE(m_controller.saveCurrent(QStringLiteral("Mine"), &m_why)) << qPrintable(m_why);
        const PresetSound saved = m_target.current;
        m_target.drag(renamed ? 3 : 2, {4, 9});
        ASSERT_TRUE(renamed ? m_store.rename(QStringLiteral("Mine"), QStringLiteral("Ours"), &m_why)
                            : m_store.remove(QStringLiteral("Mine"), &m_why))
            << qPrintable(m_why);
        const QString active = m_controller.active();
        EXPECT_NE(active, QStringLiteral("Mine"));

        m_target.applied.clear();
        m_target.restored.clear();
        ASSERT_TRUE(m_controller.undo(&m_why)) << qPrintable(m_why);
        EXPECT_EQ(m_target.current, saved);
        EXPECT_EQ(m_controller.active(), active);
        ASSERT_TRUE(m_controller.redo(&m_why)) << qPrintable(m_why);
        EXPECT_EQ(m_controller.active(), active);
        EXPECT_EQ(m_target.restored, m_target.applied) << "both steps as a hand makes them";
        EXPECT_EQ(m_target.restored.size(), 2);
        if (renamed) {
            ASSERT_TRUE(m_store.remove(QStringLiteral("Ours"), &m_why));
        }
    }
}
