// The controller with the real window and controls, the HID transport on a
// umockdev node, the real libpulse backend on a private sound server and the
// real GStreamer transport. The link wait is shortened; nothing else is.
#include "AppTestSupport.h"
#include "LogCapture.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "app/UnixSignalNotifier.h"
#include "audio/PulseAudioSystem.h"
#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/ImageView.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderDelegate.h"
#include "controls/SpkMicSliderAction.h"
#include "device/UsbHID.h"
#include "settings/SettingsStore.h"
#include "spectrum/SpectrumViewController.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <pthread.h>

#include <csignal>

using namespace std::chrono_literals;

namespace {

// Answers every panel at once with a file in the test's directory.
class ChosenFilePanels final : public FilePanels {
public:
    explicit ChosenFilePanels(QString path) : m_path(std::move(path)) {}
    PanelResult runOpenPanel(const OpenPanelOptions&) override { return {true, QUrl::fromLocalFile(m_path)}; }
    PanelResult runSavePanel(const SavePanelOptions&) override { return {true, QUrl::fromLocalFile(m_path)}; }

private:
    QString m_path;
};

// The real sound server, with reads or changes of the defaults made to fail
// on demand (what a server that vanishes mid-link would do).
class FlakyDefaults final : public AudioSystem {
public:
    explicit FlakyDefaults(AudioSystem& real) : m_real(real) {}
    bool failSet = false;
    bool failRead = false;

    int deviceCount(std::uint32_t& count) override { return m_real.deviceCount(count); }
    int deviceList(AudioObjectID* list, std::uint32_t& count) override { return m_real.deviceList(list, count); }
    int deviceName(AudioObjectID device, AudioScope scope, std::string& name) override
    {
        return m_real.deviceName(device, scope, name);
    }
    int defaultDevice(AudioScope scope, AudioObjectID& device) override
    {
        return failRead ? AudioStatus::ServerError : m_real.defaultDevice(scope, device);
    }
    int setDefaultDevice(AudioScope scope, AudioObjectID device) override
    {
        return failSet ? AudioStatus::ServerError : m_real.setDefaultDevice(scope, device);
    }
    bool hasMainVolume(AudioObjectID device, AudioScope scope) override { return m_real.hasMainVolume(device, scope); }
    int volumeScalar(AudioObjectID device, AudioScope scope, float& scalar) override
    {
        return m_real.volumeScalar(device, scope, scalar);
    }
    int setVolumeScalar(AudioObjectID device, AudioScope scope, float scalar) override
    {
        return m_real.setVolumeScalar(device, scope, scalar);
    }
    int addVolumeListener(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc,
                          void* clientData) override
    {
        return m_real.addVolumeListener(device, scope, proc, clientData);
    }
    int removeVolumeListener(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc,
                             void* clientData) override
    {
        return m_real.removeVolumeListener(device, scope, proc, clientData);
    }

private:
    AudioSystem& m_real;
};

class AppDelegateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_daemon = new PulseDaemon(PulseDaemon::builtinScript());
        ASSERT_TRUE(s_daemon->start());
        s_audio = new PulseAudioSystem();
        ASSERT_TRUE(s_audio->waitForConnection(5s));
    }

    static void TearDownTestSuite()
    {
        delete s_audio;
        s_audio = nullptr;
        delete s_daemon;
        s_daemon = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(store().save(apptest::storedSettings()));
        m_device = std::make_unique<SimulatedDevice>();
        QObject::connect(m_device.get(), &SimulatedDevice::reportReceived,
                         [this](const QByteArray& record) { m_reports.append(record); });
        s_daemon->pactl({QStringLiteral("set-default-sink"), QStringLiteral("builtin_out")});
        s_daemon->pactl({QStringLiteral("set-default-source"), QStringLiteral("builtin_in")});
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

    void launch()
    {
        m_window = std::make_unique<MainWindow>();
        AppDelegatePorts ports;
        ports.audio = m_audio ? m_audio : s_audio;
        ports.settingsStore = store();
        ports.linkWait = m_linkWait;
        ports.quitApplication = [this] { ++m_quits; };
        ports.filePanels = std::make_shared<ChosenFilePanels>(m_dir.filePath(QStringLiteral("take.aac")));
        m_delegate = std::make_unique<AppDelegate>(std::move(ports));
        m_outlets = m_window->outlets();
        m_delegate->setOutlets(m_outlets);
        m_window->show();
        m_delegate->applicationDidFinishLaunching();
    }

    // Plugs the device in (or expects it plugged already) and waits for the
    // link sequence to end; true when it linked.
    bool waitForLink()
    {
        QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
        if (!finished.wait(10000))
            return false;
        return finished.first().first().toBool();
    }

    bool plug() { return m_device->plug(); }

    bool plugAndLink()
    {
        if (!plug())
            return false;
        return waitForLink();
    }

    bool waitForReports(int count)
    {
        return QTest::qWaitFor([&] { return m_reports.size() >= count; }, 3000);
    }

    std::vector<QWidget*> effectControls() const
    {
        const AppDelegateOutlets& o = m_outlets;
        return {o.resetButton, o.playButton, o.stopButton, o.pauseButton, o.recordButton, o.Monitor,
                o.Denoise, o.MixerButton, o.Spk, o.Mic, o.Stage1, o.Stage2, o.Stage3, o.Stage4, o.Stage5};
    }

    static PulseDaemon* s_daemon;
    static PulseAudioSystem* s_audio;

    QTemporaryDir m_dir;
    std::unique_ptr<SimulatedDevice> m_device;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<AppDelegate> m_delegate;
    AppDelegateOutlets m_outlets;
    QList<QByteArray> m_reports;
    int m_quits = 0;
    AudioSystem* m_audio = nullptr;
    std::chrono::milliseconds m_linkWait = 50ms;
};

PulseDaemon* AppDelegateTest::s_daemon = nullptr;
PulseAudioSystem* AppDelegateTest::s_audio = nullptr;

TEST_F(AppDelegateTest, LaunchWithTheDeviceAttachedShowsNotLinkedThenSendsOneFullRecord)
{
    ASSERT_TRUE(plug());
    launch();

    // Straight after start-up: the not-linked look with the stored values.
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO未连接"));
    EXPECT_EQ(m_outlets.linkImg->imageName(), QStringLiteral("linkDisable"));
    for (QWidget* control : effectControls())
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_FALSE(m_outlets.Reverb->isEnable());
    EXPECT_EQ(m_outlets.Spk->value(), 37);
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("37%"));
    EXPECT_EQ(m_outlets.MicText->text(), QStringLiteral("64%"));
    EXPECT_EQ(m_outlets.Stage5Text->text(), QStringLiteral("-15"));
    EXPECT_FALSE(m_delegate->linking()) << "the arrival comes after start-up, never inside it";
    EXPECT_TRUE(m_reports.isEmpty());

    // The arrival shows the sheet; the window keeps running its event loop
    // while the device settles.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_delegate->linking(); }, 3000));
    EXPECT_TRUE(m_outlets.LinkingPanel->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), m_outlets.LinkingPanel);

    ASSERT_TRUE(waitForLink());
    ASSERT_TRUE(waitForReports(1));
    QTest::qWait(200);
    ASSERT_EQ(m_reports.size(), 1);
    EXPECT_EQ(m_reports.first().toHex(' '), apptest::storedFullRecord().toHex(' '));

    EXPECT_FALSE(m_outlets.LinkingPanel->isVisible());
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO已连接"));
    EXPECT_EQ(m_outlets.linkImg->imageName(), QStringLiteral("linkEnable"));
    EXPECT_TRUE(m_outlets.playButton->isEnabled());
    EXPECT_TRUE(m_outlets.recordButton->isEnabled());
    EXPECT_TRUE(m_outlets.resetButton->isEnabled());
    EXPECT_FALSE(m_outlets.stopButton->isEnabled());
    EXPECT_FALSE(m_outlets.pauseButton->isEnabled());
    EXPECT_TRUE(m_outlets.Reverb->isEnable());
    EXPECT_TRUE(m_outlets.Mixer->isEnable());
    ASSERT_NE(m_delegate->spectrum(), nullptr);
    EXPECT_EQ(m_delegate->spectrum()->view()->parentWidget(), m_outlets.SpectrumView);

    // The device is now the system's default, at the stored volumes.
    QString sink;
    s_daemon->pactl({QStringLiteral("get-default-sink")}, &sink);
    EXPECT_EQ(sink.trimmed(), QStringLiteral("quorel_sim_out"));
    QString volume;
    s_daemon->pactl({QStringLiteral("get-sink-volume"), QStringLiteral("quorel_sim_out")}, &volume);
    EXPECT_TRUE(volume.contains(QStringLiteral("37%"))) << volume.toStdString();
}

// Notifications arriving during the wait are held and handled in order once
// the link has finished. Here the device leaves during the wait: the link
// stops at the audio step, the sheet goes, and the held removal unlinks.
TEST_F(AppDelegateTest, UnplugDuringTheWaitStopsTheLinkDismissesTheSheetAndUnlinksAfterwards)
{
    m_linkWait = 1000ms;
    launch();
    LogCapture log;
    QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
    ASSERT_TRUE(plug());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_delegate->linking(); }, 3000));
    m_device->unplug();
    QTest::qWait(300);
    EXPECT_EQ(log.count(QStringLiteral("device removed")), 0) << "held while linking";
    EXPECT_TRUE(m_outlets.LinkingPanel->isVisible());

    ASSERT_TRUE(finished.wait(5000));
    EXPECT_FALSE(finished.first().first().toBool());
    EXPECT_FALSE(m_outlets.LinkingPanel->isVisible());
    EXPECT_EQ(log.count(QStringLiteral("link stopped: the device's audio endpoint")), 1);
    EXPECT_EQ(log.count(QStringLiteral("device removed; unlinking")), 1);
    EXPECT_FALSE(m_delegate->linking());
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO未连接"));
    EXPECT_TRUE(m_reports.isEmpty());

    // A later arrival tries again and links.
    m_reports.clear();
    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(m_reports.first().at(0), 8);
}

// Whichever step stops the link, the sheet goes and the step is logged; the
// controls stay as far as the sequence got.
TEST_F(AppDelegateTest, EveryEarlyStopDismissesTheSheetAndNamesTheStep)
{
    FlakyDefaults audio(*s_audio);
    m_audio = &audio;
    launch();
    LogCapture log;

    audio.failSet = true;
    ASSERT_TRUE(plug());
    EXPECT_FALSE(waitForLink());
    EXPECT_FALSE(m_outlets.LinkingPanel->isVisible());
    EXPECT_EQ(log.count(QStringLiteral("link stopped: the device could not be made the default")), 1);
    EXPECT_FALSE(m_outlets.Spk->isEnabled());
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO未连接"));

    // Past the defaults the link acts on the device it found: a default
    // that cannot be read back does not stop it.
    audio.failSet = false;
    audio.failRead = true;
    m_delegate->usbhidDidMatch(); // a second arrival tries again
    EXPECT_TRUE(waitForLink());
    EXPECT_FALSE(m_outlets.LinkingPanel->isVisible());
    EXPECT_TRUE(m_outlets.Spk->isEnabled());
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO已连接"));
    EXPECT_NE(m_delegate->spectrum(), nullptr);
    EXPECT_TRUE(waitForReports(1));
    m_delegate.reset(); // while the audio system it uses is still there
}

TEST_F(AppDelegateTest, UnplugWhileRecordingStopsTheRecorderAndDisablesEverything)
{
    launch();
    ASSERT_TRUE(plugAndLink());
    m_outlets.Mic->setValue(20);
    m_delegate->Record();
    ASSERT_EQ(m_delegate->transportState(), 3);
    QTest::qWait(500);

    m_device->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_delegate->linked(); }, 3000));

    EXPECT_EQ(m_delegate->transportState(), 0);
    EXPECT_EQ(m_outlets.timerText->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO未连接"));
    for (QWidget* control : effectControls())
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_FALSE(m_outlets.Reverb->isEnable());
    EXPECT_FALSE(m_outlets.Mixer->isEnable());
    EXPECT_EQ(m_outlets.Mic->value(), 20) << "controls keep their positions";
    EXPECT_EQ(m_outlets.Stage2->value(), -3);
}

TEST_F(AppDelegateTest, ReplugReusesTheSpectrumAndRestoresTheLatestSettings)
{
    launch();
    ASSERT_TRUE(plugAndLink());
    SpectrumViewController* first = m_delegate->spectrum();
    ASSERT_NE(first, nullptr);

    m_outlets.Stage2->setValue(-7);
    m_delegate->Stage2Changed(m_outlets.Stage2);
    m_device->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_delegate->linked(); }, 3000));
    EXPECT_EQ(m_delegate->spectrum()->timer(), nullptr) << "the display stops on unlink";

    m_outlets.Stage2->setValue(9); // not stored: the link restores from the settings
    m_reports.clear();
    ASSERT_TRUE(plugAndLink());
    EXPECT_EQ(m_delegate->spectrum(), first);
    EXPECT_EQ(m_outlets.SpectrumView->layout()->count(), 1) << "the view is placed once";
    EXPECT_NE(first->timer(), nullptr);
    EXPECT_EQ(m_outlets.Stage2->value(), -7);
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(m_reports.last().at(0), 8);
    EXPECT_EQ(static_cast<std::uint8_t>(m_reports.last().at(12)), 0xF9);
}

TEST_F(AppDelegateTest, QuitWhileNotLinkedStoresAllThirteenKeys)
{
    launch();
    m_outlets.Spk->setValue(0);
    m_outlets.Mic->setValue(88);
    m_outlets.Stage3->setValue(15);
    m_outlets.Monitor->setChecked(true);

    // The window's close button quits through the controller.
    m_window->close();
    EXPECT_EQ(m_quits, 1);

    const std::optional<SettingsDictionary> saved = store().load();
    ASSERT_TRUE(saved.has_value());
    for (const QString& key : SettingsKey::all())
        EXPECT_TRUE(saved->contains(key)) << key.toStdString();
    EXPECT_EQ(saved->integerValue(SettingsKey::spkVolume), 0);
    EXPECT_TRUE(saved->boolValue(SettingsKey::spkMute));
    EXPECT_EQ(saved->integerValue(SettingsKey::micGain), 88);
    EXPECT_FALSE(saved->boolValue(SettingsKey::micMute));
    EXPECT_TRUE(saved->boolValue(SettingsKey::monitor));
    EXPECT_TRUE(saved->boolValue(SettingsKey::dehiss));
    EXPECT_EQ(saved->integerValue(SettingsKey::reverb), 57);
    EXPECT_TRUE(saved->boolValue(SettingsKey::mixer));
    EXPECT_EQ(saved->integerValue(SettingsKey::stage3), 15);
    EXPECT_EQ(saved->integerValue(SettingsKey::stage5), -15);
}

TEST_F(AppDelegateTest, TerminationSignalRunsTheNormalShutDown)
{
    launch();
    ASSERT_TRUE(plugAndLink());
    m_outlets.Stage1->setValue(-9);

    UnixSignalNotifier signalNotifier;
    ASSERT_TRUE(signalNotifier.isActive());
    QObject::connect(&signalNotifier, &UnixSignalNotifier::received, m_delegate.get(),
                     &AppDelegate::closeApplication);
    QSignalSpy received(&signalNotifier, &UnixSignalNotifier::received);
    // umockdev's preload (0.17) can leave a thread's signals blocked when
    // two threads pass its path traps at once, as the spectrum's capture
    // thread and this one do while linking; the signal must reach us.
    sigset_t hangup;
    sigemptyset(&hangup);
    sigaddset(&hangup, SIGHUP);
    pthread_sigmask(SIG_UNBLOCK, &hangup, nullptr);
    std::raise(SIGHUP); // a logout; the end-to-end run sends SIGTERM
    ASSERT_TRUE(received.wait(3000));

    EXPECT_EQ(m_quits, 1);
    EXPECT_EQ(store().load()->integerValue(SettingsKey::stage1), -9);
    EXPECT_EQ(m_delegate->spectrum()->timer(), nullptr) << "the display stops at shut-down while linked";
    EXPECT_TRUE(m_reports.size() == 1) << "nothing is sent at shut-down";
}

TEST_F(AppDelegateTest, StartUpWithoutSettingsLeavesTheWindowAsLoaded)
{
    QFile::remove(m_dir.filePath(QStringLiteral("quorel-panel.conf")));
    ASSERT_TRUE(plug());
    launch();
    QTest::qWait(300);
    EXPECT_EQ(m_delegate->transport(), nullptr);
    EXPECT_FALSE(m_delegate->linking());
    EXPECT_TRUE(m_reports.isEmpty());

    // The controls are as loaded, so the user can still move them; with no
    // settings to write, nothing happens.
    const QString stageText = m_outlets.Stage1Text->text();
    QTest::keyClick(m_outlets.Stage1, Qt::Key_Up);
    QTest::keyClick(m_outlets.Spk, Qt::Key_Up);
    QTest::mouseClick(m_outlets.MixerButton, Qt::LeftButton);
    EXPECT_EQ(m_outlets.Stage1Text->text(), stageText);

    m_window->close();
    EXPECT_FALSE(store().load().has_value()) << "nothing is stored without settings";
}

// A settings file edited by hand may hold values outside the sliders'
// ranges: the read-outs show them, and the link sets the system volumes,
// only as far as the sliders go.
TEST_F(AppDelegateTest, StoredValuesOutOfRangeGoOnlyAsFarAsTheSliders)
{
    SettingsDictionary edited = apptest::storedSettings();
    edited.setInteger(SettingsKey::spkVolume, 400);
    edited.setInteger(SettingsKey::micGain, -40);
    edited.setInteger(SettingsKey::stage3, 40);
    ASSERT_TRUE(store().save(edited));
    launch();
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("100%"));
    EXPECT_EQ(m_outlets.MicText->text(), QStringLiteral("0%"));
    EXPECT_EQ(m_outlets.Stage3Text->text(), QStringLiteral("15"));
    ASSERT_TRUE(plugAndLink());

    QString volume;
    s_daemon->pactl({QStringLiteral("get-sink-volume"), QStringLiteral("quorel_sim_out")}, &volume);
    EXPECT_TRUE(volume.contains(QStringLiteral("100%"))) << volume.toStdString();
    EXPECT_FALSE(volume.contains(QStringLiteral("400%"))) << volume.toStdString();
    s_daemon->pactl({QStringLiteral("get-source-volume"), QStringLiteral("quorel_sim_in")}, &volume);
    EXPECT_TRUE(volume.contains(QStringLiteral(" 0%"))) << volume.toStdString();
    EXPECT_EQ(m_outlets.Spk->value(), 100);
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::spkVolume), 100);
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::micGain), 0);
}

// ---- Effect and equaliser handlers, linked ----------------------------------

class EffectHandlersTest : public AppDelegateTest {
protected:
    void SetUp() override
    {
        AppDelegateTest::SetUp();
        launch();
        ASSERT_TRUE(plugAndLink());
        ASSERT_TRUE(waitForReports(1));
        m_reports.clear();
    }
};

TEST_F(EffectHandlersTest, ResetSendsFiveStageRecordsAllAtZero)
{
    QTest::mouseClick(m_outlets.resetButton, Qt::LeftButton);
    ASSERT_TRUE(waitForReports(5));
    QTest::qWait(100);
    ASSERT_EQ(m_reports.size(), 5);
    for (const QByteArray& record : m_reports) {
        EXPECT_EQ(record.at(0), 7);
        EXPECT_EQ(record.mid(11, 5), QByteArray(5, '\0'));
    }
    for (QLabel* text : {m_outlets.Stage1Text, m_outlets.Stage2Text, m_outlets.Stage3Text, m_outlets.Stage4Text,
                         m_outlets.Stage5Text})
        EXPECT_EQ(text->text(), QStringLiteral("0"));
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage(n)), 0);
}

TEST_F(EffectHandlersTest, StageMoveShowsStoresAndSendsIt)
{
    m_outlets.Stage2->setFocus();
    m_outlets.Stage2->setValue(-6);
    QTest::keyClick(m_outlets.Stage2, Qt::Key_Down); // a user move fires the slider's action
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(m_outlets.Stage2Text->text(), QStringLiteral("-7"));
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage2), -7);
    ASSERT_EQ(m_reports.size(), 1);
    EXPECT_EQ(m_reports.first().at(0), 7);
    EXPECT_EQ(static_cast<std::uint8_t>(m_reports.first().at(12)), 0xF9);
}

TEST_F(EffectHandlersTest, MixerToggledTwiceReturnsEveryValue)
{
    const double value = m_outlets.Mixer->doubleValue();
    const std::uint8_t byte5 = m_delegate->info().mixer.mixer_param;
    ASSERT_EQ(value, 1.0);

    QTest::mouseClick(m_outlets.MixerButton, Qt::LeftButton);
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(m_outlets.Mixer->doubleValue(), 0.0);
    EXPECT_EQ(m_delegate->MixerText(), QStringLiteral("0.0"));
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::mixer));
    EXPECT_EQ(static_cast<std::uint8_t>(m_reports.last().at(5)), 0x04);

    QTest::mouseClick(m_outlets.MixerButton, Qt::LeftButton);
    ASSERT_TRUE(waitForReports(2));
    EXPECT_EQ(m_outlets.Mixer->doubleValue(), value);
    EXPECT_EQ(m_delegate->MixerText(), QStringLiteral("1.0"));
    EXPECT_TRUE(m_delegate->settings()->boolValue(SettingsKey::mixer));
    EXPECT_EQ(static_cast<std::uint8_t>(m_reports.last().at(5)), byte5);
    for (const QByteArray& record : m_reports)
        EXPECT_EQ(record.at(0), 3);
}

TEST_F(EffectHandlersTest, ReverbPressAndReleaseSendTwoRecords)
{
    ProgressIndicator* reverb = m_outlets.Reverb;
    const QPoint at(static_cast<int>(reverb->width() * 0.578), reverb->height() / 2);
    QTest::mousePress(reverb, Qt::LeftButton, {}, at);
    QTest::mouseRelease(reverb, Qt::LeftButton, {}, at);
    ASSERT_TRUE(waitForReports(2));
    QTest::qWait(100);
    ASSERT_EQ(m_reports.size(), 2);
    EXPECT_EQ(m_reports.at(0).at(0), 4);
    EXPECT_EQ(m_reports.at(1).at(0), 4);

    // 57.8: the tooltip and the store truncate, the record quantises.
    reverb->setDoubleValue(57.8);
    m_delegate->ReverberanceChanged();
    EXPECT_EQ(m_delegate->ReverbText(), QStringLiteral("57%"));
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::reverb), 57);
    ASSERT_TRUE(waitForReports(3));
    EXPECT_EQ(m_reports.last().at(9), 8);
}

TEST_F(EffectHandlersTest, MonitorAndDenoiseCarryTheirCodesAndTheCurrentVolumes)
{
    m_outlets.Spk->setValue(81); // a volume change rides along with the next record
    QTest::mouseClick(m_outlets.Monitor, Qt::LeftButton);
    QTest::mouseClick(m_outlets.Denoise, Qt::LeftButton);
    ASSERT_TRUE(waitForReports(2));
    EXPECT_EQ(m_reports.at(0).at(0), 3);
    EXPECT_EQ(static_cast<std::uint8_t>(m_reports.at(0).at(5)), 0x17);
    EXPECT_EQ(m_reports.at(1).at(0), 2);
    EXPECT_EQ(m_reports.at(1).at(4), 0);
    EXPECT_EQ(m_reports.at(1).at(2), 81);
    EXPECT_TRUE(m_delegate->settings()->boolValue(SettingsKey::monitor));
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::dehiss));
}

TEST_F(EffectHandlersTest, WithTheDeviceAbsentHandlersStoreButSendNothing)
{
    m_delegate->transport()->setFind(false);
    m_outlets.Stage4->setValue(-2);
    m_delegate->Stage4Changed(m_outlets.Stage4);
    m_delegate->MixerChanged(m_outlets.MixerButton);
    m_outlets.Denoise->setChecked(false);
    m_delegate->DenoiseChanged();
    QTest::qWait(200);
    EXPECT_TRUE(m_reports.isEmpty());
    EXPECT_EQ(m_outlets.Stage4Text->text(), QStringLiteral("-2"));
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage4), -2);
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::mixer));
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::dehiss));
    EXPECT_EQ(m_delegate->info().changed_type, 2) << "the record is still rebuilt";
}

} // namespace
