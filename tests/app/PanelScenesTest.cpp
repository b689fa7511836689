// Scenes on the panel's real model, link and window: the HID transport on a
// umockdev node, libpulse on a private sound server (PulseAudio or
// PipeWire), and applications recording from the device's source played by
// parecord streams named like chat applications. Every record the device
// receives and the stored settings are checked.
#include "PanelFixture.h"

#include "app/PanelScenes.h"
#include "app/PanelSoundTarget.h"
#include "audio/PulseRecordingStreams.h"
#include "controls/MessageBand.h"
#include "device/ControlPanelInfo.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetController.h"
#include "presets/PresetStore.h"
#include "scenes/SceneStore.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

class PanelScenesTest : public apptest::PanelFixture {
protected:
    void TearDown() override
    {
        for (auto& [name, process] : m_recordings)
            stopRecording(name);
        m_scenes.reset();
        m_history.reset();
        m_sound.reset();
        m_streams.reset();
        m_sceneStore.reset();
        m_presets.reset();
        PanelFixture::TearDown();
    }

    void launch()
    {
        createPanel(panelPorts());
        m_presets = std::make_unique<PresetStore>(m_dir.filePath(QStringLiteral("presets")));
        m_presets->load();
        m_sceneStore = std::make_unique<SceneStore>(m_dir.filePath(QStringLiteral("scenes")));
        m_sceneStore->load();
        m_streams = std::make_unique<PulseRecordingStreams>(s_audio->connection());
        m_scenes = std::make_unique<PanelScenes>(*m_delegate, *m_streams, *m_presets, *m_sceneStore,
                                                 m_outlets.messageBand);
        m_window->show();
        m_delegate->applicationDidFinishLaunching();
        m_sound = std::make_unique<PanelSoundTarget>(*m_delegate);
        m_history = std::make_unique<PresetController>(*m_sound, *m_presets);
    }

    void addScene(const QString& application, const QString& preset)
    {
        QString why;
        ASSERT_TRUE(m_sceneStore->add({application, preset}, &why)) << why.toStdString();
    }

    // An application recording from the device's source.
    void startRecording(const QString& application)
    {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("parecord"),
                       {QStringLiteral("--raw"), QStringLiteral("--device=quorel_sim_in"),
                        QStringLiteral("--property=application.name=") + application, QStringLiteral("/dev/null")});
        ASSERT_TRUE(process->waitForStarted()) << process->errorString().toStdString();
        m_recordings[application] = std::move(process);
    }

    void stopRecording(const QString& application)
    {
        const auto process = m_recordings.find(application);
        if (process == m_recordings.end() || !process->second)
            return;
        // Killed: parecord may sit on a SIGTERM for long on a loaded machine;
        // its stream ends with its connection either way.
        process->second->kill();
        process->second->waitForFinished();
        process->second.reset();
    }

    // The record the device gets for the panel's settings with `sound`.
    QByteArray recordWith(const PresetSound& sound) const
    {
        PanelSettings settings = m_delegate->model().settings();
        settings.sound = sound.values();
        const ControlPanelReport report = controlPanelReport(rebuildControlPanelInfo(settings.recordValues(), 8));
        return QByteArray(reinterpret_cast<const char*>(report.data()), static_cast<qsizetype>(report.size()));
    }

    // The next record is exactly one, carrying `sound` with code 8.
    void expectOneRecordOf(const PresetSound& sound)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_reports.isEmpty(); }, 10000)) << "no record came";
        QTest::qWait(300);
        ASSERT_EQ(m_reports.size(), 1);
        EXPECT_EQ(SimulatedDevice::describe(m_reports.takeFirst()), SimulatedDevice::describe(recordWith(sound)));
    }

    PresetSound current() const { return PresetSound::of(m_delegate->model().sound()); }
    PresetSound stored() const { return PresetSound::of(PanelSettings::fromDictionary(*m_delegate->settings()).sound); }
    static PresetSound preset(const char* name) { return FactoryPresets::find(QLatin1String(name))->sound; }
    QString band() const { return m_outlets.messageBand->text(); }

    std::unique_ptr<PresetStore> m_presets;
    std::unique_ptr<SceneStore> m_sceneStore;
    std::unique_ptr<PulseRecordingStreams> m_streams;
    std::unique_ptr<PanelScenes> m_scenes;
    std::unique_ptr<PanelSoundTarget> m_sound;
    std::unique_ptr<PresetController> m_history;
    std::map<QString, std::unique_ptr<QProcess>> m_recordings;
};

// A chat application's stream brings its scene's preset as one full
// record, the stored settings keep the user's own and undo has nothing to
// take back; its close brings them back as one full record.
TEST_F(PanelScenesTest, AChatAppRecordingGetsItsPresetAndItsCloseBringsTheSettingsBack)
{
    launch();
    addScene(QStringLiteral("zoom"), QStringLiteral("Voice"));
    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));
    m_reports.clear();
    const PresetSound before = current();
    ASSERT_NE(before, preset("Voice"));
    QSignalSpy started(&m_scenes->controller(), &SceneController::sceneStarted);

    startRecording(QStringLiteral("Zoom"));
    expectOneRecordOf(preset("Voice"));
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started.first(), (QVariantList{QStringLiteral("zoom"), QStringLiteral("Voice")}));
    EXPECT_EQ(m_scenes->controller().activeScene(), QStringLiteral("zoom"));
    EXPECT_TRUE(band().contains(QStringLiteral("Scene for zoom: preset Voice"))) << band().toStdString();
    EXPECT_EQ(stored(), before) << "the scene's sound is not stored";
    EXPECT_FALSE(m_history->canUndo()) << "a scene is no step to undo";

    stopRecording(QStringLiteral("Zoom"));
    expectOneRecordOf(before);
    EXPECT_EQ(current(), before);
    EXPECT_EQ(m_scenes->controller().activeScene(), QString());
    EXPECT_TRUE(band().contains(QStringLiteral("Scene for zoom ended; your settings are back"))) << band().toStdString();
    m_delegate->applicationWillTerminate();
    EXPECT_EQ(PresetSound::of(PanelSettings::fromDictionary(*store().load()).sound), before);
}

// Two scenes at once: the later stream wins, its close returns to the
// other's preset, and the last close to the settings from before the first.
TEST_F(PanelScenesTest, OverlappingScenesReturnToTheOtherThenToTheSettingsFromBefore)
{
    launch();
    addScene(QStringLiteral("Zoom"), QStringLiteral("Voice"));
    addScene(QStringLiteral("Discord"), QStringLiteral("Podcast"));
    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));
    m_reports.clear();
    const PresetSound before = current();

    startRecording(QStringLiteral("Zoom"));
    expectOneRecordOf(preset("Voice"));
    startRecording(QStringLiteral("Discord"));
    expectOneRecordOf(preset("Podcast"));
    EXPECT_EQ(m_scenes->controller().activeScene(), QStringLiteral("Discord"));
    stopRecording(QStringLiteral("Discord"));
    expectOneRecordOf(preset("Voice"));
    EXPECT_EQ(m_scenes->controller().activeScene(), QStringLiteral("Zoom"));
    stopRecording(QStringLiteral("Zoom"));
    expectOneRecordOf(before);
    EXPECT_EQ(stored(), before);
}

// A change by hand during a scene makes its sound the user's: the close
// changes nothing, and the stored settings hold the sound as it is.
TEST_F(PanelScenesTest, AHandChangeDuringASceneKeepsTheSettingsAtItsClose)
{
    launch();
    addScene(QStringLiteral("Zoom"), QStringLiteral("Voice"));
    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));
    m_reports.clear();

    startRecording(QStringLiteral("Zoom"));
    expectOneRecordOf(preset("Voice"));
    handChange(PanelSetting::Stage3, 9);
    ASSERT_TRUE(waitForReports(1));
    m_reports.clear();
    const PresetSound changed = current();
    EXPECT_EQ(stored(), changed) << "the hand change stores the scene's sound with it";

    QSignalSpy ended(&m_scenes->controller(), &SceneController::sceneEnded);
    stopRecording(QStringLiteral("Zoom"));
    ASSERT_TRUE(ended.wait(10000));
    QTest::qWait(300);
    EXPECT_TRUE(m_reports.isEmpty());
    EXPECT_EQ(current(), changed);
    EXPECT_TRUE(band().contains(QStringLiteral("Scene for Zoom ended; your changes during it are kept")))
        << band().toStdString();
}

// A stream already recording when the panel links counts, matched by its
// program too (parecord is pacat); a scene naming a preset that is gone only says so.
TEST_F(PanelScenesTest, AStreamThereAtTheLinkCountsAndAMissingPresetOnlySaysSo)
{
    ASSERT_TRUE(m_device->plug());
    startRecording(QStringLiteral("Skype"));
    launch();
    addScene(QStringLiteral("Skype"), QStringLiteral("Gone"));
    addScene(QStringLiteral("PACAT"), QStringLiteral("Music"));
    QSignalSpy messages(&m_scenes->controller(), &SceneController::message);
    QSignalSpy linked(m_delegate.get(), &AppDelegate::linkFinished);
    ASSERT_TRUE(linked.wait(10000));
    ASSERT_TRUE(linked.first().first().toBool());
    // The link's full record, then the scene's.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_reports.size() >= 2; }, 10000));
    QTest::qWait(300);
    ASSERT_EQ(m_reports.size(), 2);
    EXPECT_EQ(SimulatedDevice::describe(m_reports.takeLast()), SimulatedDevice::describe(recordWith(preset("Music"))));
    m_reports.clear();
    EXPECT_EQ(m_scenes->controller().activeScene(), QStringLiteral("PACAT"));
    EXPECT_TRUE(m_scenes->controller().recentApplications().contains(QStringLiteral("Skype")));
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.first().first().toString(), QStringLiteral("Scene for Skype: there is no preset \"Gone\"; nothing changed"));

    // Without the scene that applies, the one naming no preset changes nothing.
    const PresetSound before = stored();
    QString why;
    ASSERT_TRUE(m_sceneStore->remove(QStringLiteral("pacat"), &why));
    expectOneRecordOf(before);
    EXPECT_EQ(m_scenes->controller().activeScene(), QString());
}

} // namespace
