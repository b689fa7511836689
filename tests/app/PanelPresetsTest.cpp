// Presets and undo on the panel's real model and controller: the window and
// its controls, the HID transport on a umockdev node, libpulse on a private
// sound server, and the preset store in the test's folder. Every record the
// device receives is checked.
#include "PanelFixture.h"

#include "app/PanelSoundTarget.h"
#include "app/PresetWindowControls.h"
#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/MessageBand.h"
#include "controls/PresetSelector.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderAction.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetController.h"
#include "presets/PresetStore.h"


#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>

#include <gtest/gtest.h>

namespace {

class PanelPresetsTest : public apptest::PanelFixture {
protected:
    void TearDown() override
    {
        m_controls.reset();
        m_presets.reset();
        m_target.reset();
        if (m_store)
            m_store->waitForFiles();
        m_store.reset();
        PanelFixture::TearDown();
    }

    // The panel as main() makes it: launched, then the presets over it.
    void launch()
    {
        createPanel(panelPorts());
        m_window->show();
        m_delegate->applicationDidFinishLaunching();
        m_store = std::make_unique<PresetStore>(m_dir.filePath(QStringLiteral("presets")));
        EXPECT_TRUE(m_store->load().isEmpty());
        m_target = std::make_unique<PanelSoundTarget>(*m_delegate);
        m_presets = std::make_unique<PresetController>(*m_target, *m_store);
        m_controls = std::make_unique<PresetWindowControls>(*m_window, *m_presets);
    }

    void launchLinked()
    {
        launch();
        ASSERT_TRUE(plugAndLink());
        ASSERT_TRUE(waitForReports(1));
        m_reports.clear();
    }

    // Exactly `count` records arrive, and no more for a moment after.
    bool expectReports(int count)
    {
        if (!waitForReports(count))
            return false;
        QTest::qWait(200);
        return m_reports.size() == count;
    }

    static int code(const QByteArray& record) { return record.at(0); }

    void undo() { m_controls->undoAction()->trigger(); }
    void redo() { m_controls->redoAction()->trigger(); }

    SpkMicSliderAction* stage(int n) const
    {
        const std::array stages{m_outlets.Stage1, m_outlets.Stage2, m_outlets.Stage3, m_outlets.Stage4,
                                m_outlets.Stage5};
        return stages[static_cast<std::size_t>(n - 1)];
    }

    PresetSelector* selector() const { return m_window->presetSelector(); }

    std::unique_ptr<PresetStore> m_store;
    std::unique_ptr<PanelSoundTarget> m_target;
    std::unique_ptr<PresetController> m_presets;
    std::unique_ptr<PresetWindowControls> m_controls;
};

// Choosing a preset in the window is one full record and stores what the
// same changes made by hand store; the settings file keeps its thirteen keys.
TEST_F(PanelPresetsTest, ApplyingAPresetIsOneFullRecordStoredAsByHand)
{
    launchLinked();
    const PresetSound voice = FactoryPresets::find(QStringLiteral("Voice"))->sound;
    emit selector()->presetChosen(QStringLiteral("Voice"));
    ASSERT_TRUE(expectReports(1));
    const QByteArray applied = m_reports.takeFirst();
    EXPECT_EQ(code(applied), 8);
    EXPECT_EQ(selector()->valueText(), QStringLiteral("Voice"));
    const SettingsDictionary byPreset = *m_delegate->settings();

    // Back to the stored sound, then the same values one control at a time.
    undo();
    ASSERT_TRUE(expectReports(1));
    m_reports.clear();
    handChange(PanelSetting::Monitor, voice.monitor);
    handChange(PanelSetting::Denoise, voice.denoise);
    for (int n = 1; n <= 5; ++n)
        handChange(stageSetting(n), voice.stages[static_cast<std::size_t>(n - 1)]);
    handChange(PanelSetting::Reverb, voice.reverb);
    handChange(PanelSetting::Mixer, voice.mixer);
    EXPECT_EQ(*m_delegate->settings(), byPreset);
    // The hand changes' records reach the device one by one; the last
    // carries the same values as the preset's one record.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_reports.isEmpty() && m_reports.last().mid(1) == applied.mid(1); },
                                5000))
        << "the last hand record carries the same values: "
        << (m_reports.isEmpty() ? "none arrived" : m_reports.last().toHex(' ').constData());

    m_delegate->applicationWillTerminate();
    const std::optional<SettingsDictionary> saved = store().load();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->values().size(), 13);
}

// The mark follows the sound: set by a change of any control, gone when
// the change is undone, and the selector and undo agree with the controller.
TEST_F(PanelPresetsTest, TheSelectorMarksTheActivePresetModifiedUntilTheChangeIsUndone)
{
    launchLinked();
    emit selector()->presetChosen(QStringLiteral("Music"));
    ASSERT_TRUE(expectReports(1));
    EXPECT_FALSE(selector()->modified());

    QTest::mouseClick(m_outlets.Denoise, Qt::LeftButton);
    EXPECT_TRUE(m_presets->modified());
    EXPECT_EQ(selector()->valueText(), QStringLiteral("Music, modified"));
    undo();
    EXPECT_FALSE(selector()->modified());
    EXPECT_EQ(selector()->active(), QStringLiteral("Music"));
    undo();
    EXPECT_EQ(selector()->active(), QString()) << "before the preset none was active";
    EXPECT_FALSE(m_controls->undoAction()->isEnabled());
    EXPECT_TRUE(m_controls->redoAction()->isEnabled());
}

// Undo sends what the hand sent: one record of the control's code; a
// preset's undo one full record.
TEST_F(PanelPresetsTest, UndoAndRedoSendOneRecordOfTheStepsCode)
{
    launchLinked();
    const int before = stage(2)->value();
    stage(2)->setFocus();
    QTest::keyClick(stage(2), Qt::Key_Up);
    QTest::keyClick(stage(2), Qt::Key_Up);
    ASSERT_TRUE(expectReports(2));
    m_reports.clear();

    undo();
    ASSERT_TRUE(expectReports(1));
    EXPECT_EQ(code(m_reports.first()), 7);
    EXPECT_EQ(stage(2)->value(), before + 1) << "each key is a step";
    m_reports.clear();
    redo();
    ASSERT_TRUE(expectReports(1));
    EXPECT_EQ(code(m_reports.first()), 7);
    EXPECT_EQ(stage(2)->value(), before + 2);
    m_reports.clear();

    QTest::mouseClick(m_outlets.Monitor, Qt::LeftButton);
    ASSERT_TRUE(expectReports(1));
    m_reports.clear();
    undo();
    ASSERT_TRUE(expectReports(1));
    EXPECT_EQ(code(m_reports.first()), 3);
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage2), before + 2);
    m_reports.clear();

    emit selector()->presetChosen(QStringLiteral("Podcast"));
    ASSERT_TRUE(expectReports(1));
    m_reports.clear();
    undo();
    ASSERT_TRUE(expectReports(1));
    EXPECT_EQ(code(m_reports.first()), 8);
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage2), before + 2);
}

// A drag through several values and the reset of the five stages are one
// step each.
TEST_F(PanelPresetsTest, ADragAndAResetAreOneStepEach)
{
    launchLinked();
    SpkMicSliderAction* slider = stage(4);
    const int before = slider->value();
    const QPoint knob = slider->knobRect().center().toPoint();
    QTest::mousePress(slider, Qt::LeftButton, {}, knob);
    for (int dy : {10, 25, 40, 60})
        QTest::mouseMove(slider, knob + QPoint(0, dy));
    EXPECT_TRUE(m_delegate->settingsControls()->soundStepGoingOn());
    QTest::mouseRelease(slider, Qt::LeftButton, {}, knob + QPoint(0, 60));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_reports.size() > 1; }, 5000)) << "a record per value dragged through";
    ASSERT_NE(slider->value(), before);
    QTest::qWait(200);
    m_reports.clear();

    undo();
    ASSERT_TRUE(expectReports(1));
    EXPECT_EQ(code(m_reports.first()), 7);
    EXPECT_EQ(slider->value(), before);
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage4), before);
    m_reports.clear();

    QTest::mouseClick(m_outlets.resetButton, Qt::LeftButton);
    ASSERT_TRUE(expectReports(5));
    m_reports.clear();
    undo();
    ASSERT_TRUE(expectReports(1));
    EXPECT_EQ(code(m_reports.first()), 8) << "the five stages come back in one record";
    const SettingsDictionary stored = apptest::storedSettings();
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(stage(n)->value(), stored.integerValue(SettingsKey::stage(n))) << "stage " << n;
}

// While unlinked a preset changes the stored settings only; the link that
// follows sends them.
TEST_F(PanelPresetsTest, APresetChosenWhileUnlinkedIsSentByTheNextLink)
{
    launch();
    const PresetSound podcast = FactoryPresets::find(QStringLiteral("Podcast"))->sound;
    QString why;
    ASSERT_TRUE(m_presets->apply(QStringLiteral("Podcast"), &why)) << qPrintable(why);
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage2), podcast.stages[1]);
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::reverb), podcast.reverb);
    EXPECT_EQ(m_outlets.Stage2->value(), podcast.stages[1]);
    EXPECT_TRUE(m_reports.isEmpty());

    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));
    const QByteArray& record = m_reports.last();
    EXPECT_EQ(code(record), 8);
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(static_cast<qint8>(record.at(11 + n)), podcast.stages[static_cast<std::size_t>(n)]);
    EXPECT_EQ(selector()->valueText(), QStringLiteral("Podcast"));
}

// Saving from the window's context menu asks for the name in a window-modal
// dialog; the saved preset becomes active, and only the user's own can be
// renamed or deleted.
TEST_F(PanelPresetsTest, SaveAsFromTheWindowMakesAUserPresetActive)
{
    launchLinked();
    EXPECT_TRUE(m_window->actions().contains(m_controls->saveAsAction()));
    EXPECT_FALSE(m_controls->renameAction()->isEnabled());
    m_controls->saveAsAction()->trigger();
    auto* dialog = m_window->findChild<QInputDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    dialog->setTextValue(QStringLiteral("  Late show "));
    dialog->accept();
    EXPECT_EQ(selector()->active(), QStringLiteral("Late show"));
    EXPECT_TRUE(selector()->presets().contains(QStringLiteral("Late show")));
    EXPECT_TRUE(m_controls->renameAction()->isEnabled());
    EXPECT_TRUE(m_controls->deleteAction()->isEnabled());

    emit selector()->presetChosen(QStringLiteral("Flat"));
    EXPECT_FALSE(m_controls->deleteAction()->isEnabled()) << "factory presets are read-only";
}

// An import picked in the window's file dialog that fails its checks adds
// nothing and says why in the window; a good one is added and said so.
TEST_F(PanelPresetsTest, AnImportChosenInTheWindowShowsItsFailureThere)
{
    launchLinked();
    const auto import = [&](const QString& path) {
        m_controls->importAction()->trigger();
        auto* dialog = m_window->findChild<QFileDialog*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        dialog->selectFile(path);
        // What the dialog's Open button does.
        static_cast<QDialog*>(dialog)->accept();
    };
    const auto notice = [&]() -> QString {
        const MessageBand* shown = m_window->findChild<MessageBand*>();
        return shown && shown->isVisible() ? shown->text() : QString();
    };

    const QString bad = m_dir.filePath(QStringLiteral("loud.qpreset"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("format=quorel-preset\nversion=1\nname=Loud\nmonitor=off\ndenoise=off\nstage1=40\nstage2=0\n"
               "stage3=0\nstage4=0\nstage5=0\nreverb=0\nmixer=off\n");
    file.close();
    import(bad);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notice().contains(QStringLiteral("loud.qpreset")); }, 5000))
        << qPrintable(notice());
    EXPECT_FALSE(selector()->presets().contains(QStringLiteral("Loud")));

    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("format=quorel-preset\nversion=1\nname=Loud\nmonitor=off\ndenoise=off\nstage1=15\nstage2=0\n"
               "stage3=0\nstage4=0\nstage5=0\nreverb=0\nmixer=off\n");
    file.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_window->findChild<QFileDialog*>(); }, 5000)) << "the first is gone";
    import(bad);
    ASSERT_TRUE(QTest::qWaitFor([&] { return selector()->presets().contains(QStringLiteral("Loud")); }, 5000));
    EXPECT_TRUE(notice().contains(QStringLiteral("Imported"))) << qPrintable(notice());
    EXPECT_TRUE(m_reports.isEmpty()) << "importing applies nothing";
}

} // namespace
