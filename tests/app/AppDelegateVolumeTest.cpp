// Speaker volume and microphone gain through the controller: the real window
// and sliders, the libpulse backend on a private sound server and the
// simulated device (umockdev HID node plus its sink and source).
#include "AppTestSupport.h"
#include "FakeAudioSystem.h"
#include "LogCapture.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"
#include "../audio/PulseTestSupport.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "audio/PulseAudioSystem.h"
#include "controls/ImageView.h"
#include "controls/SpkMicSliderAction.h"
#include "spectrum/PulseCaptureEngine.h"
#include "spectrum/SpectrumViewController.h"
#include "settings/SettingsStore.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>

using namespace std::chrono_literals;
using pulsetest::channelVolumes;
using pulsetest::pactlText;

namespace {

const QString kSink = QStringLiteral("quorel_sim_out");
const QString kSource = QStringLiteral("quorel_sim_in");

class AppDelegateVolumeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(store().save(apptest::storedSettings()));
        ASSERT_TRUE(m_daemon.start());
        m_audio = std::make_unique<PulseAudioSystem>(2000ms, 100ms);
        ASSERT_TRUE(m_audio->isConnected());
        m_device = std::make_unique<SimulatedDevice>();
        ASSERT_TRUE(m_device->startSound());
    }

    void TearDown() override
    {
        m_delegate.reset();
        m_window.reset();
        m_device.reset();
    }

    SettingsStore store() const
    {
        return SettingsStore(m_dir.filePath(QStringLiteral("quorel-panel.conf")),
                             m_dir.filePath(QStringLiteral("missing-defaults.plist")));
    }

    // `capture` makes the spectrum's engines; none: each on a connection of its own.
    void launch(AudioSystem* audio, CaptureEngineFactory capture = {})
    {
        m_window = std::make_unique<MainWindow>();
        AppDelegatePorts ports;
        ports.audio = audio;
        ports.settingsStore = store();
        ports.linkWait = 50ms;
        ports.quitApplication = [] {};
        if (capture)
            ports.makeSpectrumController = [capture] { return std::make_unique<SpectrumViewController>(capture); };
        m_delegate = std::make_unique<AppDelegate>(std::move(ports));
        m_outlets = m_window->outlets();
        m_delegate->setOutlets(m_outlets);
        m_delegate->applicationDidFinishLaunching();
        QObject::connect(m_outlets.Spk, &QAbstractSlider::valueChanged, [this](int v) { m_spkValues.push_back(v); });
    }

    bool launchAndLink(CaptureEngineFactory capture = {})
    {
        launch(m_audio.get(), std::move(capture));
        QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
        if (!m_device->plug() || !finished.wait(10000))
            return false;
        return finished.first().first().toBool();
    }

    // As the user moves a slider: the value, then the slider's action.
    static void move(SpkMicSliderAction* slider, int value)
    {
        slider->setValue(value);
        emit slider->action(value);
    }

    int pactl(const QStringList& args) const { return m_daemon.pactl(args); }

    // The source the spectrum's capture stream records from, by name.
    QString spectrumSource() const
    {
        const QString outputs = pactlText(m_daemon, {QStringLiteral("list"), QStringLiteral("source-outputs")});
        static const QRegularExpression sourceIndex(QStringLiteral("Source: (\\d+)"));
        for (const QString& block : outputs.split(QStringLiteral("Source Output #"), Qt::SkipEmptyParts)) {
            if (!block.contains(QStringLiteral("media.name = \"Spectrum\"")))
                continue;
            const QString index = sourceIndex.match(block).captured(1);
            const QStringList sources =
                pactlText(m_daemon, {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sources")})
                    .split(u'\n');
            for (const QString& source : sources) {
                const QStringList fields = source.split(u'\t');
                if (fields.size() > 1 && fields.at(0) == index)
                    return fields.at(1);
            }
        }
        return {};
    }

    std::vector<unsigned> volumes(const QString& kind, const QString& name) const
    {
        return channelVolumes(m_daemon, kind, name);
    }

    // Slider steps are sent without waiting: the server applies them a
    // moment later.
    bool waitForVolumes(const QString& kind, const QString& name, const std::vector<unsigned>& expected) const
    {
        return QTest::qWaitFor([&] { return volumes(kind, name) == expected; }, 5000);
    }

    // The link image's warning as the window shows it: the tooltip, with
    // the image dimmed.
    QString linkWarning() const { return m_outlets.linkImg->toolTip(); }
    bool linkDimmed() const { return m_outlets.linkImg->graphicsEffect() != nullptr; }

    // The device's sink and source come back on a restarted server.
    void bringDeviceSoundBack()
    {
        const QString properties =
            QStringLiteral("'device.description=\"Quorel IIS Audio\" device.product.name=\"Quorel IIS Audio\" "
                           "node.always-process=true'");
        ASSERT_EQ(pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                         QStringLiteral("sink_name=") + kSink, QStringLiteral("sink_properties=") + properties}),
                  0);
        ASSERT_EQ(pactl({QStringLiteral("load-module"), QStringLiteral("module-remap-source"),
                         QStringLiteral("master=%1.monitor").arg(kSink), QStringLiteral("source_name=") + kSource,
                         QStringLiteral("source_properties=") + properties}),
                  0);
    }

    // Waits until the server has told every listener of `sink`'s change to
    // `scalar` and the main thread has run what they handed over.
    void settleOutputChange(const QString& sink, const char* level, float scalar)
    {
        pulsetest::ListenerLog witness;
        const AudioObjectID device = pulsetest::findByName(*m_audio, AudioScope::Output,
                                                           sink == kSink ? "Quorel IIS Audio" : "Built-in Speaker");
        ASSERT_EQ(m_audio->addVolumeListener(device, AudioScope::Output, pulsetest::ListenerLog::proc, &witness),
                  AudioStatus::Ok);
        ASSERT_EQ(pactl({QStringLiteral("set-sink-volume"), sink, QString::fromLatin1(level)}), 0);
        ASSERT_TRUE(witness.waitForScalar(scalar));
        m_audio->removeVolumeListener(device, AudioScope::Output, pulsetest::ListenerLog::proc, &witness);
        QTest::qWait(20);
    }

    SettingsDictionary& settings() const { return *m_delegate->settings(); }

    QTemporaryDir m_dir;
    PulseDaemon m_daemon{PulseDaemon::builtinScript()};
    std::unique_ptr<PulseAudioSystem> m_audio;
    std::unique_ptr<SimulatedDevice> m_device;
    // For what no real server does on demand; outlives the controller.
    FakeAudioSystem m_fake;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<AppDelegate> m_delegate;
    AppDelegateOutlets m_outlets;
    std::vector<int> m_spkValues;
};

TEST_F(AppDelegateVolumeTest, LinkMakesTheDeviceTheDefaultAtTheStoredVolumes)
{
    ASSERT_TRUE(launchAndLink());
    EXPECT_EQ(pactlText(m_daemon, {QStringLiteral("get-default-sink")}), kSink);
    EXPECT_EQ(pactlText(m_daemon, {QStringLiteral("get-default-source")}), kSource);
    EXPECT_EQ(volumes(QStringLiteral("sink"), kSink), (std::vector<unsigned>{24248, 24248})) << "37%";
    EXPECT_EQ(volumes(QStringLiteral("source"), kSource), (std::vector<unsigned>{41943, 41943})) << "64%";
    EXPECT_EQ(m_outlets.Spk->value(), 37);
    EXPECT_EQ(m_outlets.Mic->value(), 64);
    EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), 37);
    EXPECT_EQ(settings().integerValue(SettingsKey::micGain), 64);
    EXPECT_FALSE(settings().boolValue(SettingsKey::spkMute));
}

TEST_F(AppDelegateVolumeTest, SlidersSetTheDefaultDevicesAndStoreWhatTheyRead)
{
    ASSERT_TRUE(launchAndLink());

    move(m_outlets.Spk, 0);
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("0%"));
    EXPECT_TRUE(waitForVolumes(QStringLiteral("sink"), kSink, {0, 0}));
    EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), 0);
    EXPECT_TRUE(settings().boolValue(SettingsKey::spkMute));

    move(m_outlets.Spk, 100);
    EXPECT_TRUE(waitForVolumes(QStringLiteral("sink"), kSink, {65536, 65536}));
    EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), 100);
    EXPECT_FALSE(settings().boolValue(SettingsKey::spkMute));

    // 0.53 and 0.59 as 32-bit floats fall just short of their percent; they
    // read back as what was set, and so do their echoes.
    pulsetest::ListenerLog echoes;
    const AudioObjectID sink = pulsetest::findByName(*m_audio, AudioScope::Output, "Quorel IIS Audio");
    ASSERT_EQ(m_audio->addVolumeListener(sink, AudioScope::Output, pulsetest::ListenerLog::proc, &echoes),
              AudioStatus::Ok);
    for (const int value : {53, 59}) {
        move(m_outlets.Spk, value);
        EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("%1%").arg(value));
        EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), value);
    }
    EXPECT_TRUE(waitForVolumes(QStringLiteral("sink"), kSink, {38666, 38666}));
    ASSERT_TRUE(echoes.waitForScalar(0.59f));
    m_audio->removeVolumeListener(sink, AudioScope::Output, pulsetest::ListenerLog::proc, &echoes);
    QTest::qWait(20);
    EXPECT_EQ(m_outlets.Spk->value(), 59);
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("59%"));
    EXPECT_EQ(std::count_if(m_spkValues.begin(), m_spkValues.end(), [](int v) { return v == 52 || v == 58; }), 0);

    move(m_outlets.Mic, 0);
    EXPECT_EQ(m_outlets.MicText->text(), QStringLiteral("0%"));
    EXPECT_TRUE(waitForVolumes(QStringLiteral("source"), kSource, {0, 0}));
    EXPECT_EQ(settings().integerValue(SettingsKey::micGain), 0);
    EXPECT_TRUE(settings().boolValue(SettingsKey::micMute));
}

TEST_F(AppDelegateVolumeTest, OutsideChangesMoveTheSlidersButNotTheMuteSettings)
{
    ASSERT_TRUE(launchAndLink());

    ASSERT_EQ(pactl({QStringLiteral("set-sink-volume"), kSink, QStringLiteral("99.9%")}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_outlets.Spk->value() == 99; }, 3000));
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("99%"));
    EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), 99);

    ASSERT_EQ(pactl({QStringLiteral("set-sink-volume"), kSink, QStringLiteral("0.5%")}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_outlets.Spk->value() == 0; }, 3000));
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("0%"));
    EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), 0);
    EXPECT_FALSE(settings().boolValue(SettingsKey::spkMute));

    ASSERT_EQ(pactl({QStringLiteral("set-source-volume"), kSource, QStringLiteral("25%")}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_outlets.Mic->value() == 25; }, 3000));
    EXPECT_EQ(m_outlets.MicText->text(), QStringLiteral("25%"));
    EXPECT_EQ(settings().integerValue(SettingsKey::micGain), 25);
}

TEST_F(AppDelegateVolumeTest, AnotherDefaultTakesTheSliderWhileTheDeviceStillReportsToIt)
{
    ASSERT_TRUE(launchAndLink());
    ASSERT_EQ(pactl({QStringLiteral("set-default-sink"), QStringLiteral("builtin_out")}), 0);
    // PipeWire's session manager makes the change a moment later.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return pactlText(m_daemon, {QStringLiteral("get-default-sink")}) == QStringLiteral("builtin_out"); },
        5000));
    // Slider steps go to the default as the panel last heard of it.
    const AudioObjectID builtin = pulsetest::findByName(*m_audio, AudioScope::Output, "Built-in Speaker");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_audio->followedDefault(AudioScope::Output) == builtin; }, 5000));

    move(m_outlets.Spk, 30);
    EXPECT_TRUE(waitForVolumes(QStringLiteral("sink"), QStringLiteral("builtin_out"), {19661, 19661}));
    EXPECT_EQ(volumes(QStringLiteral("sink"), kSink), (std::vector<unsigned>{24248, 24248}));

    settleOutputChange(QStringLiteral("builtin_out"), "50%", 0.5f);
    settleOutputChange(kSink, "75%", 0.75f);
    EXPECT_EQ(m_outlets.Spk->value(), 75);
    EXPECT_EQ(std::count(m_spkValues.begin(), m_spkValues.end(), 50), 0)
        << "the built-in speaker has no listener";
}

TEST_F(AppDelegateVolumeTest, AfterUnlinkingOutsideChangesMoveNothingEvenWhenTheDefaultsHadMoved)
{
    ASSERT_TRUE(launchAndLink());
    // The user picked other defaults, so the removal from the current
    // defaults misses; the listeners still go.
    ASSERT_EQ(pactl({QStringLiteral("set-default-sink"), QStringLiteral("builtin_out")}), 0);
    ASSERT_EQ(pactl({QStringLiteral("set-default-source"), QStringLiteral("builtin_in")}), 0);
    m_delegate->link()->usbhidDidRemove();

    settleOutputChange(kSink, "75%", 0.75f);
    EXPECT_EQ(m_outlets.Spk->value(), 37);
    EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), 37);
    const AudioObjectID sink = pulsetest::findByName(*m_audio, AudioScope::Output, "Quorel IIS Audio");
    const AudioObjectID source = pulsetest::findByName(*m_audio, AudioScope::Input, "Quorel IIS Audio");
    EXPECT_EQ(m_audio->removeVolumeListener(sink, AudioScope::Output, SystemVolumes::outputListener,
                                            m_delegate->volumes()),
              AudioStatus::NotRegistered);
    EXPECT_EQ(m_audio->removeVolumeListener(source, AudioScope::Input, SystemVolumes::inputListener,
                                            m_delegate->volumes()),
              AudioStatus::NotRegistered);
}

TEST_F(AppDelegateVolumeTest, ControllerGoingAwayWhileLinkedLeavesNoListenerBehind)
{
    ASSERT_TRUE(launchAndLink());
    const AudioObjectID sink = pulsetest::findByName(*m_audio, AudioScope::Output, "Quorel IIS Audio");
    void* gone = m_delegate->volumes();
    m_delegate.reset();
    EXPECT_EQ(m_audio->removeVolumeListener(sink, AudioScope::Output, SystemVolumes::outputListener, gone),
              AudioStatus::NotRegistered);
}

// The sound server is killed while linked and comes back with its own
// defaults, three times: each time, within 2 s of the device's return, the
// device is the default again at the sliders' volumes, outside changes
// reach the sliders and the spectrum captures the device's input.
TEST_F(AppDelegateVolumeTest, ServerRestartWhileLinkedRestoresDefaultsVolumesListenersAndCapture)
{
    ASSERT_TRUE(launchAndLink());
    int spk = 37;
    for (int restart = 1; restart <= 3; ++restart) {
        SCOPED_TRACE(restart);
        m_daemon.stop(true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_audio->isConnected(); }, 5000));

        // Without a server the slider keeps the user's value.
        spk = 40 + restart;
        move(m_outlets.Spk, spk);
        EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("%1%").arg(spk));
        EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), spk);

        // The server comes back with the built-in defaults, then the
        // device's sink and source come back too.
        ASSERT_TRUE(m_daemon.start());
        ASSERT_NO_FATAL_FAILURE(bringDeviceSoundBack());
        QElapsedTimer sinceReturn;
        sinceReturn.start();
        const unsigned spkRaw = static_cast<unsigned>(std::lround(spk * 655.36));
        const auto restored = [&] {
            const auto* capture = dynamic_cast<const PulseCaptureEngine*>(m_delegate->spectrum()->engine());
            return pactlText(m_daemon, {QStringLiteral("get-default-sink")}) == kSink
                && pactlText(m_daemon, {QStringLiteral("get-default-source")}) == kSource
                && volumes(QStringLiteral("sink"), kSink) == std::vector<unsigned>{spkRaw, spkRaw}
                && volumes(QStringLiteral("source"), kSource) == std::vector<unsigned>{41943, 41943}
                && capture && capture->running() && spectrumSource() == kSource;
        };
        // Told by the controller and the backend, which costs the main thread
        // next to nothing: the restore's steps run on its event loop, which
        // pactl would hold. A restore started again by a device that came
        // back meanwhile is done only when the controller says so, its
        // volumes answered; what they are only pactl tells, below.
        const auto restoredAsFollowed = [&] {
            const AudioObjectID sink = pulsetest::findByName(*m_audio, AudioScope::Output, "Quorel IIS Audio");
            const AudioObjectID source = pulsetest::findByName(*m_audio, AudioScope::Input, "Quorel IIS Audio");
            const auto* capture = dynamic_cast<const PulseCaptureEngine*>(m_delegate->spectrum()->engine());
            return !m_delegate->audioRestorePending() && sink != kAudioObjectUnknown && source != kAudioObjectUnknown
                && m_audio->followedDefault(AudioScope::Output) == sink
                && m_audio->followedDefault(AudioScope::Input) == source && capture && capture->running();
        };
        ASSERT_TRUE(QTest::qWaitFor(restoredAsFollowed, 10000));
        EXPECT_LT(sinceReturn.elapsed(), 2000) << "restored " << sinceReturn.elapsed() << " ms after the device";
        ASSERT_TRUE(QTest::qWaitFor(restored, 10000));

        ASSERT_EQ(pactl({QStringLiteral("set-sink-volume"), kSink, QStringLiteral("75%")}), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_outlets.Spk->value() == 75; }, 5000));
        ASSERT_EQ(pactl({QStringLiteral("set-source-volume"), kSource, QStringLiteral("64%")}), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_outlets.Mic->value() == 64; }, 5000));
    }
}

// The sound server stops answering while the device settles, and stays so
// past the bound of the link's first audio step: the window keeps turning,
// the link image says that the panel waits for the server, and once the
// server answers again the link finishes without a replug.
TEST_F(AppDelegateVolumeTest, ServerStoppedWhileLinkingIsWaitedForAndTheLinkFinishesWithoutAReplug)
{
    launch(m_audio.get());
    const pid_t server = m_daemon.serverPid();
    ASSERT_GT(server, 0);
    QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
    // Plugging in loads the device's sink and source through pactl, which
    // the test waits for: measured from then on.
    ASSERT_TRUE(m_device->plug());
    pulsetest::LoopLateness lateness;
    ASSERT_EQ(::kill(server, SIGSTOP), 0);
    const bool waitShown = QTest::qWaitFor(
        [&] { return linkWarning().contains(QStringLiteral("sound server does not answer")); }, 15000);
    const bool stillLinking = m_delegate->linking() && finished.isEmpty();
    ::kill(server, SIGCONT);
    EXPECT_TRUE(waitShown) << linkWarning().toStdString();
    EXPECT_TRUE(stillLinking);

    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_LT(lateness.worstMs(), 50) << "the main thread never waits on the server";
    EXPECT_FALSE(linkWarning().contains(QStringLiteral("sound server")));
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO已连接"));
    EXPECT_EQ(pactlText(m_daemon, {QStringLiteral("get-default-sink")}), kSink);
    EXPECT_EQ(pactlText(m_daemon, {QStringLiteral("get-default-source")}), kSource);
}

// While linked, a server that stops answering a slider's volume past its
// bound shows at the link image as an outage, until it answers again and
// the device's sound is restored; the window keeps turning throughout.
TEST_F(AppDelegateVolumeTest, OutageWhileLinkedShowsAtTheLinkImageUntilTheSoundIsRestored)
{
    ASSERT_TRUE(launchAndLink());
    const pid_t server = m_daemon.serverPid();
    ASSERT_GT(server, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_audio->followedDefault(AudioScope::Output) != kAudioObjectUnknown; },
                                5000));
    pulsetest::LoopLateness lateness;
    ASSERT_EQ(::kill(server, SIGSTOP), 0);
    move(m_outlets.Spk, 33);
    const bool outageShown = QTest::qWaitFor(
        [&] { return linkWarning().contains(QStringLiteral("sound server is gone or does not answer")); }, 15000);
    const bool dimmed = linkDimmed();
    ::kill(server, SIGCONT);
    EXPECT_TRUE(outageShown) << linkWarning().toStdString();
    EXPECT_TRUE(dimmed);

    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_delegate->audioRestorePending() && linkWarning().isEmpty(); }, 20000))
        << linkWarning().toStdString();
    EXPECT_FALSE(linkDimmed());
    EXPECT_LT(lateness.worstMs(), 50) << "the main thread never waits on the server";
    EXPECT_EQ(pactlText(m_daemon, {QStringLiteral("get-default-sink")}), kSink);
    EXPECT_EQ(volumes(QStringLiteral("sink"), kSink), (std::vector<unsigned>{21627, 21627})) << "33 %";
}

// As the panel runs: the spectrum captures on the audio system's connection.
// While linked and idle (no slider moves, nothing asked), a server that
// stops answering falls silent on the capture, which shows at the link image
// as an outage; once it answers again the sound is restored, the capture
// runs again and the outage clears. The window keeps turning throughout.
TEST_F(AppDelegateVolumeTest, IdleServerThatStopsAnsweringWhileLinkedShowsUntilItAnswersAgain)
{
    ASSERT_TRUE(launchAndLink(PulseCaptureEngine::factory(m_audio->connection())));
    const auto capturing = [this] {
        const auto* capture = dynamic_cast<const PulseCaptureEngine*>(m_delegate->spectrum()->engine());
        return capture && capture->running();
    };
    ASSERT_TRUE(QTest::qWaitFor(capturing, 5000));
    const pid_t server = m_daemon.serverPid();
    ASSERT_GT(server, 0);
    LogCapture log;
    pulsetest::LoopLateness lateness;
    ASSERT_EQ(::kill(server, SIGSTOP), 0);
    const bool outageShown = QTest::qWaitFor(
        [&] { return linkWarning().contains(QStringLiteral("sound server is gone or does not answer")); }, 20000);
    ::kill(server, SIGCONT);
    EXPECT_TRUE(outageShown) << linkWarning().toStdString();
    EXPECT_EQ(log.count(QStringLiteral("lost the sound server (it stopped answering)")), 1);

    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_delegate->audioRestorePending() && linkWarning().isEmpty(); }, 20000))
        << linkWarning().toStdString();
    EXPECT_TRUE(QTest::qWaitFor(capturing, 10000));
    EXPECT_EQ(spectrumSource(), kSource);
    EXPECT_LT(lateness.worstMs(), 50) << "the main thread never waits on the server";
}

// A restore that fails after a restart (the server is back, the device's
// sound is not) is shown at the link image, told once in the log, and
// cleared once the device's sound is back and restored.
TEST_F(AppDelegateVolumeTest, RestoreFailingAfterAServerRestartShowsUntilTheDeviceIsBack)
{
    ASSERT_TRUE(launchAndLink());
    LogCapture log;
    m_daemon.stop(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_audio->isConnected(); }, 5000));
    ASSERT_TRUE(m_daemon.start());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return linkWarning().contains(QStringLiteral("restarted without the Quorel IIS Audio")); }, 10000));
    EXPECT_TRUE(linkDimmed());
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO已连接")) << "still linked";

    ASSERT_NO_FATAL_FAILURE(bringDeviceSoundBack());
    ASSERT_TRUE(QTest::qWaitFor([&] { return linkWarning().isEmpty() && !linkDimmed(); }, 10000))
        << linkWarning().toStdString();
    EXPECT_EQ(pactlText(m_daemon, {QStringLiteral("get-default-sink")}), kSink);
    EXPECT_EQ(log.count(QStringLiteral("the device's audio is not restored")), 1)
        << "the retries on each new device say it once";
}

// A server that stops answering while linked (stopped, its socket still
// taking what is written) never holds the window: each step of a drag
// returns at once, the event loop turns between steps, and once the server
// answers again the last step is the volume.
TEST_F(AppDelegateVolumeTest, SliderDragAgainstAServerThatStoppedAnsweringNeverHoldsTheWindow)
{
    ASSERT_TRUE(launchAndLink());
    const AudioObjectID sink = pulsetest::findByName(*m_audio, AudioScope::Output, "Quorel IIS Audio");
    const AudioObjectID source = pulsetest::findByName(*m_audio, AudioScope::Input, "Quorel IIS Audio");
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return m_audio->followedDefault(AudioScope::Output) == sink
            && m_audio->followedDefault(AudioScope::Input) == source;
    }, 5000));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);

    const pid_t pid = m_daemon.serverPid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    struct Resume {
        pid_t pid;
        ~Resume() { ::kill(pid, SIGCONT); }
    } resume{pid};
    QElapsedTimer clock;
    qint64 longest = 0;
    int turns = 0;
    for (int spk = 38; spk <= 60; ++spk) {
        clock.restart();
        move(m_outlets.Spk, spk);
        move(m_outlets.Mic, 100 - spk);
        longest = std::max(longest, clock.elapsed());
        const int before = ticks;
        turns += QTest::qWaitFor([&] { return ticks > before; }, 1000) ? 1 : 0;
    }
    EXPECT_LT(longest, 500) << "a step waited on the server (its request bound is 2000 ms)";
    EXPECT_EQ(turns, 23);
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("60%"));
    EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), 60);
    EXPECT_EQ(settings().integerValue(SettingsKey::micGain), 40);

    ::kill(pid, SIGCONT);
    EXPECT_TRUE(waitForVolumes(QStringLiteral("sink"), kSink, {39322, 39322})) << "60 %, the last step";
    EXPECT_TRUE(waitForVolumes(QStringLiteral("source"), kSource, {26214, 26214})) << "40 %";
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_outlets.Spk->value() == 60 && m_outlets.Mic->value() == 40; }, 5000));
    EXPECT_TRUE(linkWarning().isEmpty()) << linkWarning().toStdString();
}

// A volume the server refuses after it was sent shows at the link image
// until a later one in that direction is taken. No real server refuses a
// volume on demand, so the fake answers here.
TEST_F(AppDelegateVolumeTest, RefusedVolumeShowsAtTheLinkImageUntilOneIsTaken)
{
    FakeAudioSystem& fake = m_fake;
    fake.addDevice({.id = 1, .outputName = "Quorel IIS Audio", .inputName = "Quorel IIS Audio"});
    launch(&fake);
    QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
    ASSERT_TRUE(m_device->plug());
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_TRUE(finished.first().first().toBool());
    EXPECT_TRUE(linkWarning().isEmpty());

    fake.refuseSentVolumes(AudioScope::Output);
    fake.refuseSentVolumes(AudioScope::Input);
    move(m_outlets.Spk, 20);
    move(m_outlets.Spk, 21);
    move(m_outlets.Mic, 30);
    const QString speaker = QStringLiteral("did not take the Speaker volume");
    const QString mic = QStringLiteral("did not take the Mic gain");
    ASSERT_TRUE(QTest::qWaitFor([&] { return linkWarning().contains(speaker) && linkWarning().contains(mic); }, 2000));
    EXPECT_TRUE(linkDimmed());
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("21%")) << "the slider keeps the user's value";
    EXPECT_EQ(fake.volume(1, AudioScope::Output), 0.37f);

    fake.refuseSentVolumes(AudioScope::Output, false);
    move(m_outlets.Spk, 22);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !linkWarning().contains(speaker); }, 2000));
    EXPECT_TRUE(linkWarning().contains(mic));
    EXPECT_EQ(fake.volume(1, AudioScope::Output), 0.22f);

    fake.refuseSentVolumes(AudioScope::Input, false);
    move(m_outlets.Mic, 31);
    ASSERT_TRUE(QTest::qWaitFor([&] { return linkWarning().isEmpty() && !linkDimmed(); }, 2000));
}

// An unplug while the server is down still stops the spectrum, and the next
// link captures again.
TEST_F(AppDelegateVolumeTest, UnplugWhileTheServerIsDownStopsTheSpectrumAndTheNextLinkCapturesAgain)
{
    ASSERT_TRUE(launchAndLink());
    m_daemon.stop(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_audio->isConnected(); }, 5000));
    m_device->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_delegate->linked(); }, 5000));
    EXPECT_EQ(m_delegate->spectrum()->engine(), nullptr);
    EXPECT_EQ(m_delegate->spectrum()->timer(), nullptr);

    ASSERT_TRUE(m_daemon.start());
    ASSERT_TRUE(m_audio->waitForConnection(5s));
    QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
    ASSERT_TRUE(m_device->plug());
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_TRUE(finished.first().first().toBool());
    EXPECT_TRUE(QTest::qWaitFor([&] { return spectrumSource() == kSource; }, 5000));
}

TEST_F(AppDelegateVolumeTest, DefaultWithoutAMainVolumeLeavesTheVolumeAndTheMuteSettingAlone)
{
    FakeAudioSystem& fake = m_fake;
    fake.addDevice({.id = 1, .outputName = "Quorel IIS Audio", .inputName = {}, .hasMainVolume = false,
                    .outputVolume = 0.8f});
    fake.setDefault(AudioScope::Output, 1);
    launch(&fake);

    move(m_outlets.Spk, 0);
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("0%"));
    EXPECT_EQ(settings().integerValue(SettingsKey::spkVolume), 0);
    EXPECT_FALSE(settings().boolValue(SettingsKey::spkMute));
    EXPECT_EQ(fake.volume(1, AudioScope::Output), 0.8f);

    // No default input at all: the same.
    move(m_outlets.Mic, 10);
    EXPECT_EQ(settings().integerValue(SettingsKey::micGain), 10);
    EXPECT_FALSE(settings().boolValue(SettingsKey::micMute));
}

} // namespace
