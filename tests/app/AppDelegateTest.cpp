// The controller with the real window and controls, the HID transport on a
// umockdev node, the real libpulse backend on a private sound server and the
// real GStreamer transport. The link wait is shortened; nothing else is.
#include "PanelFixture.h"
#include "FakeHidManager.h"
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
#include "controls/MessageBand.h"
#include "controls/PresetSelector.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderDelegate.h"
#include "controls/SpkMicSliderAction.h"
#include "device/UsbHID.h"
#include "settings/SettingsStore.h"
#include "spectrum/SpectrumViewController.h"

#include <sys/stat.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QDialog>
#include <QDateTime>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
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
#include <cstring>

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

// The real sound server, with changes of the defaults made to fail on
// demand (what a server that vanishes mid-link would do).
class FlakyDefaults final : public AudioSystem {
public:
    explicit FlakyDefaults(AudioSystem& real) : m_real(real) {}
    bool failSet = false;

    void requestDevices(AudioDevicesDone done) override { m_real.requestDevices(std::move(done)); }
    void requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done) override
    {
        if (failSet)
            QTimer::singleShot(0, [done = std::move(done)] { done(AudioStatus::ServerError); });
        else
            m_real.requestDefaultDevice(scope, device, std::move(done));
    }
    void requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done) override
    {
        m_real.requestVolumeScalar(device, scope, scalar, std::move(done));
    }
    bool hasMainVolume(AudioObjectID device, AudioScope scope) override { return m_real.hasMainVolume(device, scope); }
    int sendDefaultVolume(AudioScope scope, float scalar) override { return m_real.sendDefaultVolume(scope, scalar); }
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

class AppDelegateTest : public apptest::PanelFixture {
protected:
    void launch()
    {
        AppDelegatePorts ports = panelPorts();
        if (m_audio)
            ports.audio = m_audio;
        ports.linkWait = m_linkWait;
        if (m_hidControl)
            ports.makeHidManager = [control = m_hidControl] { return std::make_unique<FakeHidManager>(control); };
        ports.filePanels = std::make_shared<ChosenFilePanels>(m_dir.filePath(QStringLiteral("take.aac")));
        createPanel(std::move(ports));
        m_window->show();
        m_delegate->applicationDidFinishLaunching();
    }

    // Waits for the link sequence of a device plugged in already to end;
    // true when it linked.
    bool waitForLink()
    {
        QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
        if (!finished.wait(10000))
            return false;
        return finished.first().first().toBool();
    }

    bool plug() { return m_device->plug(); }

    std::vector<QWidget*> effectControls() const
    {
        const AppDelegateOutlets& o = m_outlets;
        return {o.resetButton, o.playButton, o.stopButton, o.pauseButton, o.recordButton, o.Monitor,
                o.Denoise, o.MixerButton, o.Spk, o.Mic, o.Stage1, o.Stage2, o.Stage3, o.Stage4, o.Stage5};
    }

    AudioSystem* m_audio = nullptr;
    std::chrono::milliseconds m_linkWait = 50ms;
    // Set, the transport watches this fake instead of the udev testbed.
    std::shared_ptr<FakeHidManager::Control> m_hidControl;
};

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

// A removal during the wait is held until the wait is over; the device is
// gone by then, so nothing is linked: the sheet goes and the window unlinks.
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
    EXPECT_EQ(log.count(QStringLiteral("link stopped: the device left while it settled")), 1);
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
// Ten quick re-plugs end in one link, a full wait after the last plug, with
// one full record.
TEST_F(AppDelegateTest, AStormOfReplugsEndsInOneLinkAFullWaitAfterTheLastPlug)
{
    m_linkWait = 1500ms;
    launch();
    LogCapture log;
    QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
    QElapsedTimer sinceLastPlug;
    for (int cycle = 0; cycle < 10; ++cycle) {
        if (cycle > 0)
            m_device->unplug();
        ASSERT_TRUE(plug());
        sinceLastPlug.start();
        QTest::qWait(50);
    }
    ASSERT_TRUE(finished.wait(10000));
    const qint64 linkedAfter = sinceLastPlug.elapsed();
    ASSERT_TRUE(waitForReports(1));
    QTest::qWait(500);
    EXPECT_GE(linkedAfter, m_linkWait.count());
    EXPECT_EQ(finished.size(), 1);
    EXPECT_TRUE(finished.first().first().toBool());
    ASSERT_EQ(m_reports.size(), 1);
    EXPECT_EQ(m_reports.first().at(0), 8);
    EXPECT_EQ(log.count(QStringLiteral("device linked")), 1);
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO已连接"));
}

// A second device arriving during the first one's wait gets a full wait of
// its own before the link uses it.
TEST_F(AppDelegateTest, AnArrivalDuringTheWaitGetsAFullWaitOfItsOwn)
{
    m_linkWait = 1500ms;
    launch();
    QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
    ASSERT_TRUE(plug());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_delegate->linking(); }, 3000));
    QTest::qWait(800);
    m_delegate->link()->usbhidDidMatch(); // what the transport reports for the second device
    QElapsedTimer sinceSecond;
    sinceSecond.start();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_GE(sinceSecond.elapsed(), m_linkWait.count());
    ASSERT_TRUE(waitForReports(1));
    QTest::qWait(300);
    EXPECT_EQ(m_reports.size(), 1);
    EXPECT_EQ(finished.size(), 1);
}

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
    EXPECT_TRUE(m_outlets.linkImg->toolTip().contains(QStringLiteral("the device could not be made the default")))
        << "the window says why, not only the log";

    audio.failSet = false;
    m_delegate->link()->usbhidDidMatch(); // a second arrival tries again
    EXPECT_TRUE(waitForLink());
    EXPECT_FALSE(m_outlets.LinkingPanel->isVisible());
    EXPECT_TRUE(m_outlets.Spk->isEnabled());
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO已连接"));
    EXPECT_FALSE(m_outlets.linkImg->toolTip().contains(QStringLiteral("linking stopped")));
    EXPECT_NE(m_delegate->spectrum(), nullptr);
    EXPECT_TRUE(waitForReports(1));
    m_delegate.reset(); // while the audio system it uses is still there
}

TEST_F(AppDelegateTest, UnplugWhileRecordingStopsTheRecorderAndDisablesEverything)
{
    launch();
    ASSERT_TRUE(plugAndLink());
    handChange(PanelSetting::Mic, 20);
    m_delegate->transportControls()->Record();
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

    handChange(stageSetting(2), -7);
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
    handChange(PanelSetting::Speaker, 0);
    handChange(PanelSetting::Mic, 88);
    handChange(stageSetting(3), 15);
    handChange(PanelSetting::Monitor, true);

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
    ASSERT_TRUE(waitForReports(1));
    handChange(stageSetting(1), -9);
    ASSERT_TRUE(waitForReports(2));

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
    QTest::qWait(200);
    EXPECT_TRUE(m_reports.size() == 2) << "nothing is sent at shut-down";
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
    EXPECT_EQ(m_outlets.Mixer->valueText(), QStringLiteral("0.0"));
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::mixer));
    EXPECT_EQ(static_cast<std::uint8_t>(m_reports.last().at(5)), 0x04);

    QTest::mouseClick(m_outlets.MixerButton, Qt::LeftButton);
    ASSERT_TRUE(waitForReports(2));
    EXPECT_EQ(m_outlets.Mixer->doubleValue(), value);
    EXPECT_EQ(m_outlets.Mixer->valueText(), QStringLiteral("1.0"));
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
    m_delegate->settingsControls()->ReverberanceChanged(reverb->doubleValue());
    EXPECT_EQ(m_outlets.Reverb->valueText(), QStringLiteral("57%"));
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::reverb), 57);
    ASSERT_TRUE(waitForReports(3));
    EXPECT_EQ(m_reports.last().at(9), 8);
}

TEST_F(EffectHandlersTest, MonitorAndDenoiseCarryTheirCodesAndTheCurrentVolumes)
{
    handChange(PanelSetting::Speaker, 81); // a volume change rides along with the next record
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

// No shut-down needed: a change is stored about a second after it, once.
TEST_F(EffectHandlersTest, AChangeIsStoredASecondLaterWithoutAShutDown)
{
    const QString file = store().settingsFile();
    const QDateTime before = QFileInfo(file).lastModified();
    QTest::mouseClick(m_outlets.Denoise, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !store().load()->boolValue(SettingsKey::dehiss); }, 5000));
    EXPECT_NE(QFileInfo(file).lastModified(), before);

    // A save that fails is told in the window, until one succeeds again.
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    QTest::mouseClick(m_outlets.Monitor, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_outlets.linkImg->toolTip().contains(QStringLiteral("could not be saved")); }, 5000));
    EXPECT_EQ(m_outlets.linkText->toolTip(), m_outlets.linkImg->toolTip());
    EXPECT_TRUE(m_outlets.messageBand->text().contains(QStringLiteral("could not be saved")));
    ASSERT_TRUE(QDir().rmdir(file));
    QTest::mouseClick(m_outlets.Monitor, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_outlets.linkImg->toolTip().isEmpty(); }, 5000));
    EXPECT_TRUE(store().load().has_value());
}

// A settings file that cannot be read at all is told at start-up and kept.
TEST_F(AppDelegateTest, ASettingsFileThatCannotBeReadIsToldAndKept)
{
    const QString file = store().settingsFile();
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    createPanel(panelPorts());
    m_delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(m_outlets.messageBand->text().contains(QStringLiteral("cannot be read")))
        << qPrintable(m_outlets.messageBand->text());
    EXPECT_TRUE(m_outlets.messageBand->text().contains(file));
    m_delegate->applicationWillTerminate();
    EXPECT_TRUE(QFileInfo::exists(file) && !QFileInfo(file).isFile()) << "the pipe is still there";
}

TEST_F(EffectHandlersTest, WithTheDeviceAbsentHandlersStoreButSendNothing)
{
    m_delegate->transport()->setFind(false);
    handChange(stageSetting(4), -2);
    m_outlets.MixerButton->click();
    m_outlets.Denoise->setChecked(false);
    m_delegate->settingsControls()->DenoiseChanged(false);
    QTest::qWait(200);
    EXPECT_TRUE(m_reports.isEmpty());
    EXPECT_EQ(m_outlets.Stage4Text->text(), QStringLiteral("-2"));
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage4), -2);
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::mixer));
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::dehiss));
    EXPECT_EQ(m_delegate->info().changed_type, 2) << "the record is still rebuilt";
}

// ---- Keyboard and assistive technologies ----

// Tab walks the window in reading order; each key acts as the pointer does,
// through the same handler, with the same record and stored value.
TEST_F(EffectHandlersTest, TabWalksEveryControlInReadingOrder)
{
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    m_outlets.Spk->setFocus(Qt::OtherFocusReason);
    const AppDelegateOutlets& o = m_outlets;
    // Stop and pause are disabled while idle, so Tab passes over them; the
    // preset field at the top comes first.
    const std::vector<QWidget*> expected{o.Spk,    o.Mic,     o.Stage1,  o.Stage2, o.Stage3,      o.Stage4,
                                         o.Stage5, o.resetButton, o.Monitor, o.Denoise, o.Reverb,
                                         o.MixerButton, o.playButton, o.recordButton,
                                         m_window->presetSelector(), o.Spk};
    std::vector<QWidget*> visited{QApplication::focusWidget()};
    for (std::size_t i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(EffectHandlersTest, KeysSendTheRecordsAndStoreTheValuesOfThePointer)
{
    const AppDelegateOutlets& o = m_outlets;
    // Stage 1 from 5: Up, Page Up, End; each key one record.
    QTest::keyClick(o.Stage1, Qt::Key_Up);
    QTest::keyClick(o.Stage1, Qt::Key_PageUp);
    QTest::keyClick(o.Stage1, Qt::Key_End);
    ASSERT_TRUE(waitForReports(2));
    QTest::qWait(50);
    EXPECT_EQ(m_reports.at(0).at(11), 6);
    EXPECT_EQ(m_reports.at(1).at(11), 15) << "6 + 10 stops at the top";
    EXPECT_EQ(m_reports.size(), 2) << "End at the top changes nothing and sends nothing";
    EXPECT_EQ(o.Stage1Text->text(), QStringLiteral("15"));
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage1), 15);

    // Denoise (on) by Space, Monitor (off) by Enter.
    m_reports.clear();
    QTest::keyClick(o.Denoise, Qt::Key_Space);
    QTest::keyClick(o.Monitor, Qt::Key_Return);
    ASSERT_TRUE(waitForReports(2));
    EXPECT_EQ(m_reports.at(0).at(0), 2);
    EXPECT_EQ(m_reports.at(0).at(4), 0);
    EXPECT_EQ(m_reports.at(1).at(0), 3);
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::dehiss));
    EXPECT_TRUE(m_delegate->settings()->boolValue(SettingsKey::monitor));

    // The mixer's button: off.
    m_reports.clear();
    QTest::keyClick(o.MixerButton, Qt::Key_Space);
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(m_reports.at(0).at(0), 3);
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::mixer));
    EXPECT_EQ(o.Mixer->doubleValue(), 0.0);

    // Reverb from 57: one step up is one record, the one a press and release
    // landing on 58.5 sends.
    m_reports.clear();
    QTest::keyClick(o.Reverb, Qt::Key_Up);
    ASSERT_TRUE(waitForReports(1));
    QTest::qWait(50);
    ASSERT_EQ(m_reports.size(), 1);
    EXPECT_EQ(m_reports.at(0).at(0), 4);
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::reverb), 58);
    const QByteArray byKey = m_reports.at(0);
    o.Reverb->setDoubleValue(57);
    const QPoint at(static_cast<int>(std::lround(0.585 * o.Reverb->width())), o.Reverb->height() / 2);
    QTest::mouseClick(o.Reverb, Qt::LeftButton, {}, at);
    ASSERT_TRUE(waitForReports(3));
    EXPECT_EQ(m_reports.last().toHex(' '), byKey.toHex(' '));

    // Reset by Space: the five stage records, all at zero.
    m_reports.clear();
    QTest::keyClick(o.resetButton, Qt::Key_Space);
    ASSERT_TRUE(waitForReports(5));
    for (const QByteArray& record : m_reports)
        EXPECT_EQ(record.at(0), 7);
    EXPECT_EQ(m_reports.last().mid(11, 5), QByteArray(5, '\0'));

    // The speaker: a key step sets the system volume, as a drag step does.
    QTest::keyClick(o.Spk, Qt::Key_PageUp);
    EXPECT_EQ(o.SpkText->text(), QStringLiteral("47%"));
    QString volume;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        s_daemon->pactl({QStringLiteral("get-sink-volume"), QStringLiteral("quorel_sim_out")}, &volume);
        return volume.contains(QStringLiteral("47%"));
    }, 3000)) << volume.toStdString();
}

TEST_F(EffectHandlersTest, UnlinkedControlsIgnoreKeysAsTheyIgnoreClicks)
{
    m_outlets.Reverb->setFocus(Qt::TabFocusReason);
    m_device->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_outlets.Denoise->isEnabled(); }, 5000));
    const AppDelegateOutlets& o = m_outlets;
    for (QWidget* control :
         std::initializer_list<QWidget*>{o.Denoise, o.Monitor, o.resetButton, o.Stage1, o.Spk, o.Reverb, o.MixerButton})
        EXPECT_FALSE(control->focusPolicy() != Qt::NoFocus && control->isEnabled()) << control->objectName().toStdString();
    QTest::keyClick(o.Denoise, Qt::Key_Space);
    QTest::keyClick(o.resetButton, Qt::Key_Space);
    QTest::keyClick(o.Stage1, Qt::Key_Up);
    // Reverb stays a live widget for its press reports, but takes no key,
    // even when it held the focus as the device left.
    QTest::keyClick(o.Reverb, Qt::Key_Up);
    QTest::qWait(200);
    EXPECT_TRUE(m_reports.isEmpty());
    EXPECT_TRUE(m_delegate->settings()->boolValue(SettingsKey::dehiss));
    EXPECT_EQ(o.Reverb->doubleValue(), 57);
    EXPECT_EQ(o.Stage1->value(), 5);
}

// What a screen reader finds: every control named, with its role, state and
// value; the link state and the clock as labels.
TEST_F(EffectHandlersTest, ScreenReadersFindEveryControlByName)
{
    const AppDelegateOutlets& o = m_outlets;
    struct Expected {
        QObject* object;
        QString name;
        QAccessible::Role role;
    };
    const std::vector<Expected> controls{
        {o.Spk, QStringLiteral("Speaker"), QAccessible::Slider},
        {o.Mic, QStringLiteral("Mic"), QAccessible::Slider},
        {o.Stage1, QStringLiteral("Equaliser stage 1"), QAccessible::Slider},
        {o.Stage5, QStringLiteral("Equaliser stage 5"), QAccessible::Slider},
        {o.resetButton, QStringLiteral("Reset equaliser"), QAccessible::Button},
        {o.Monitor, QStringLiteral("Monitor"), QAccessible::CheckBox},
        {o.Denoise, QStringLiteral("Denoise"), QAccessible::CheckBox},
        {o.Reverb, QStringLiteral("Reverb"), QAccessible::Slider},
        {o.Mixer, QStringLiteral("Mixer"), QAccessible::ProgressBar},
        {o.MixerButton, QStringLiteral("Mixer on or off"), QAccessible::Button},
        {o.playButton, QStringLiteral("Play"), QAccessible::Button},
        {o.recordButton, QStringLiteral("Record"), QAccessible::Button},
        {o.pauseButton, QStringLiteral("Pause"), QAccessible::Button},
        {o.stopButton, QStringLiteral("Stop"), QAccessible::Button},
        {o.linkText, QStringLiteral("TAVO已连接"), QAccessible::StaticText},
        {o.timerText, QStringLiteral("00:00:00"), QAccessible::StaticText},
        {o.SpkText, QStringLiteral("37%"), QAccessible::StaticText},
    };
    for (const Expected& e : controls) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(e.object);
        ASSERT_NE(iface, nullptr) << e.name.toStdString();
        EXPECT_EQ(iface->text(QAccessible::Name), e.name);
        EXPECT_EQ(iface->role(), e.role) << e.name.toStdString();
    }
    QAccessibleInterface* stage = QAccessible::queryAccessibleInterface(o.Stage2);
    EXPECT_EQ(stage->valueInterface()->currentValue().toInt(), -3);
    EXPECT_EQ(stage->valueInterface()->minimumValue().toInt(), -15);
    EXPECT_EQ(stage->valueInterface()->maximumValue().toInt(), 15);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(o.Reverb)->text(QAccessible::Value), QStringLiteral("57%"));
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(o.Denoise)->state().checked);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(o.stopButton)->state().disabled);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(o.playButton)->state().disabled);
    // The captions beside the controls are their labels.
    for (QWidget* control : std::initializer_list<QWidget*>{o.Spk, o.Denoise}) {
        const auto labels = QAccessible::queryAccessibleInterface(control)->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1) << control->objectName().toStdString();
        EXPECT_EQ(labels.first().first->text(QAccessible::Name), control == o.Spk ? QStringLiteral("Speaker")
                                                                                  : QStringLiteral("Denoise"));
    }

    // Denoise pressed through its accessible action: the click's record.
    QAccessibleInterface* denoise = QAccessible::queryAccessibleInterface(o.Denoise);
    denoise->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(m_reports.at(0).at(0), 2);
    EXPECT_EQ(m_reports.at(0).at(4), 0);
    EXPECT_FALSE(denoise->state().checked);

    // A stage set through the value interface: the drag's record.
    stage->valueInterface()->setCurrentValue(4);
    ASSERT_TRUE(waitForReports(2));
    EXPECT_EQ(m_reports.at(1).at(0), 7);
    EXPECT_EQ(m_reports.at(1).at(12), 4);
    EXPECT_EQ(o.Stage2Text->text(), QStringLiteral("4"));
}


// ---- A device that cannot be written ---------------------------------------

// In the window's message band, and at the link image as a second place.
bool showsDeviceFault(const AppDelegateOutlets& outlets, const QString& cause)
{
    return !outlets.messageBand->isHidden() && outlets.messageBand->text().contains(cause)
        && outlets.linkImg->toolTip().contains(cause) && outlets.linkImg->graphicsEffect()
        && outlets.linkText->toolTip() == outlets.linkImg->toolTip();
}

TEST_F(EffectHandlersTest, AStalledDeviceHoldsNothingShowsItAndGetsTheFullRecordWhenItAnswers)
{
    QSignalSpy states(m_delegate.get(), &AppDelegate::linkStateChanged);
    ASSERT_TRUE(m_device->setStalled(true));

    QTest::mouseClick(m_outlets.Denoise, Qt::LeftButton);
    // The window keeps taking input while the record waits.
    QTest::mouseClick(m_outlets.Monitor, Qt::LeftButton);
    EXPECT_TRUE(m_delegate->settings()->boolValue(SettingsKey::monitor));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_delegate->deviceResponding(); }, 5000));
    EXPECT_TRUE(showsDeviceFault(m_outlets, QStringLiteral("not answering")))
        << m_outlets.linkImg->toolTip().toStdString();
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO已连接"));
    EXPECT_TRUE(m_outlets.Spk->isEnabled());
    EXPECT_FALSE(states.isEmpty());
    EXPECT_TRUE(m_reports.isEmpty());

    ASSERT_TRUE(m_device->setStalled(false));
    ASSERT_TRUE(waitForReports(3));
    QTest::qWait(200);
    ASSERT_EQ(m_reports.size(), 3);
    EXPECT_EQ(m_reports.at(0).at(0), 2);
    EXPECT_EQ(m_reports.at(1).at(0), 3);
    EXPECT_EQ(m_reports.at(2).at(0), 8);
    QByteArray full = m_reports.at(1);
    full[0] = 8;
    EXPECT_EQ(m_reports.at(2).toHex(' '), full.toHex(' ')) << "the same settings, as a full record";
    EXPECT_TRUE(m_delegate->deviceResponding());
    EXPECT_TRUE(m_outlets.linkImg->toolTip().isEmpty());
    EXPECT_EQ(m_outlets.linkImg->graphicsEffect(), nullptr);
    EXPECT_TRUE(m_outlets.messageBand->isHidden()) << "the band goes with the fault";
}

// A Denoise toggle and a drag that overruns the waiting reports: the toggle's
// record gives way, but once the device has caught up the last record it
// gets is the full one, with Denoise as the window shows it.
TEST_F(EffectHandlersTest, RecordsThatGaveWayAreMadeGoodByAFullRecord)
{
    ASSERT_TRUE(m_device->setStalled(true));
    QTest::mouseClick(m_outlets.Denoise, Qt::LeftButton);
    m_outlets.Stage3->setFocus();
    for (int step = 0; step < 50; ++step)
        QTest::keyClick(m_outlets.Stage3, step % 2 ? Qt::Key_Up : Qt::Key_Down);
    ASSERT_TRUE(m_device->setStalled(false));

    ASSERT_TRUE(QTest::qWaitFor([&] {
        return m_delegate->transport()->pendingReports() == 0 && !m_reports.isEmpty() && m_reports.last().at(0) == 8;
    }, 10000));
    QTest::qWait(200);
    EXPECT_LT(m_reports.size(), 51) << "some records gave way";
    const QByteArray full = m_reports.last();
    EXPECT_EQ(full.at(0), 8);
    EXPECT_EQ(full.at(4), 0) << "Denoise off, as the window shows";
    EXPECT_FALSE(m_outlets.Denoise->checked());
    EXPECT_EQ(static_cast<std::int8_t>(full.at(13)), m_outlets.Stage3->value());
}

// The Mixer bar only shows the mixer: a drag along it changes neither the
// next record nor the stored "mixer".
TEST_F(EffectHandlersTest, DraggingTheMixerBarChangesNothing)
{
    ProgressIndicator* bar = m_outlets.Mixer;
    ASSERT_EQ(bar->doubleValue(), 1.0);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() / 2));
    QTest::mouseMove(bar, QPoint(bar->width() / 4, bar->height() / 2));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(bar->width() / 4, bar->height() / 2));
    EXPECT_EQ(bar->doubleValue(), 1.0);
    EXPECT_EQ(m_outlets.Mixer->valueText(), QStringLiteral("1.0"));

    QTest::mouseClick(m_outlets.Monitor, Qt::LeftButton);
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(static_cast<std::uint8_t>(m_reports.last().at(5)), 0x17) << "mixer and monitor on";
    EXPECT_TRUE(m_delegate->settings()->boolValue(SettingsKey::mixer));
}

// A whole set of sound values (a preset, an undo) is one change: one full
// record, every key stored as the single changes would store it, and the
// controls showing it; the volumes stay.
TEST_F(EffectHandlersTest, ApplyingSoundValuesSendsOneFullRecordAndStoresThemAsByHand)
{
    QSignalSpy changes(&m_delegate->model(), &PanelModel::settingsChanged);
    SoundValues preset;
    preset.monitor = true;
    preset.denoise = false;
    preset.stages = {-15, 15, 1, -1, 0};
    preset.reverb = 6.67;
    preset.mixer = false;
    m_delegate->model().apply(SettingsBatch::ofSound(preset), ChangeOrigin::Preset);
    EXPECT_EQ(changes.count(), 1);

    ASSERT_TRUE(waitForReports(1));
    QTest::qWait(200);
    ASSERT_EQ(m_reports.size(), 1);
    const std::array<std::uint8_t, 16> expected{0x08, 0x11, 37,   64,   0x00, 0x06, 0x01, 0x01,
                                                0x00, 0x01, 0x00, 0xF1, 0x0F, 0x01, 0xFF, 0x00};
    EXPECT_EQ(m_reports.first().toHex(' '),
              QByteArray(reinterpret_cast<const char*>(expected.data()), expected.size()).toHex(' '));

    const SettingsDictionary* file = m_delegate->settings();
    EXPECT_TRUE(file->boolValue(SettingsKey::monitor));
    EXPECT_FALSE(file->boolValue(SettingsKey::dehiss));
    EXPECT_FALSE(file->boolValue(SettingsKey::mixer));
    EXPECT_EQ(file->integerValue(SettingsKey::reverb), 6);
    EXPECT_EQ(file->integerValue(SettingsKey::stage1), -15);
    EXPECT_EQ(file->integerValue(SettingsKey::stage4), -1);
    EXPECT_EQ(file->integerValue(SettingsKey::spkVolume), 37);

    EXPECT_TRUE(m_outlets.Monitor->checked());
    EXPECT_FALSE(m_outlets.Denoise->checked());
    EXPECT_EQ(m_outlets.Stage2->value(), 15);
    EXPECT_EQ(m_outlets.Stage2Text->text(), QStringLiteral("15"));
    EXPECT_EQ(m_outlets.Mixer->doubleValue(), 0.0);
    EXPECT_EQ(m_outlets.Reverb->doubleValue(), 6.67);
}

// Quitting while the device hangs on a report: the settings are stored and
// the controller goes at once.
TEST_F(EffectHandlersTest, AStalledDeviceHoldsNeitherTheQuitNorTheShutDown)
{
    ASSERT_TRUE(m_device->setStalled(true));
    QTest::mouseClick(m_outlets.Denoise, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_delegate->deviceResponding(); }, 5000));

    QElapsedTimer shutDown;
    shutDown.start();
    m_delegate->closeApplication();
    m_delegate.reset();
    EXPECT_LT(shutDown.elapsed(), 3000);
    EXPECT_EQ(m_quits, 1);
    EXPECT_FALSE(store().load()->boolValue(SettingsKey::dehiss));
    ASSERT_TRUE(m_device->setStalled(false));
}

// What a udev testbed cannot stage (a device that answers with EPIPE, or one
// refused after the link) comes from the fake transport; the sound side is
// the simulated device's.
class RefusedReportsTest : public AppDelegateTest, public ::testing::WithParamInterface<int> {};

TEST_P(RefusedReportsTest, RefusedReportsShowInTheWindowUntilTheDeviceTakesOneAgain)
{
    const int error = GetParam();
    m_hidControl = std::make_shared<FakeHidManager::Control>();
    auto device = std::make_shared<FakeHidDevice>();
    launch();
    ASSERT_TRUE(plug());
    m_hidControl->plug(device);
    ASSERT_TRUE(waitForLink());
    ASSERT_TRUE(QTest::qWaitFor([&] { return device->reports().size() == 1; }, 3000));

    LogCapture log;
    device->failWith = error;
    QTest::mouseClick(m_outlets.Denoise, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_delegate->deviceResponding(); }, 3000));
    EXPECT_EQ(log.count(QStringLiteral("send data failed")), 1);
    const QString cause = error == EACCES ? QStringLiteral("may not write to the device")
                                          : QStringLiteral("refused a setting");
    EXPECT_TRUE(showsDeviceFault(m_outlets, cause)) << m_outlets.linkImg->toolTip().toStdString();
    EXPECT_TRUE(m_outlets.linkImg->toolTip().contains(QString::fromLocal8Bit(std::strerror(error))));
    if (error == EACCES) {
        EXPECT_TRUE(m_outlets.linkImg->toolTip().contains(QStringLiteral("70-quorel-panel.rules")));
    }
    EXPECT_EQ(m_outlets.linkText->text(), QStringLiteral("TAVO已连接"));

    // The next change goes through: the device is back in step with the
    // whole record.
    device->failWith = 0;
    QTest::mouseClick(m_outlets.Monitor, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return device->reports().size() == 3; }, 3000));
    QTest::qWait(100);
    const auto reports = device->reports();
    ASSERT_EQ(reports.size(), 3U);
    EXPECT_EQ(reports[1][1], 3);
    EXPECT_EQ(reports[2][1], 8);
    EXPECT_TRUE(m_delegate->deviceResponding());
    EXPECT_TRUE(m_outlets.linkImg->toolTip().isEmpty());
    EXPECT_EQ(m_outlets.linkImg->graphicsEffect(), nullptr);
    EXPECT_TRUE(m_outlets.messageBand->isHidden()) << "the band goes with the fault";
}

INSTANTIATE_TEST_SUITE_P(Errors, RefusedReportsTest, ::testing::Values(EACCES, EIO, EPIPE));

} // namespace

