// The panel driven from the session bus: the real controller and window,
// the HID transport on a umockdev node, libpulse on a private sound server,
// the session interface on a private dbus-daemon, and the real binary as
// the second process that scripts run (--status, --set, --toggle, a second
// start). The link wait is shortened; nothing else is.
#include "../app/PanelFixture.h"
#include "PrivateSessionBus.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"
#include "PanelCommand.h"
#include "PropertiesWatcher.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "app/PanelRemote.h"
#include "app/PanelSoundTarget.h"
#include "audio/PulseAudioSystem.h"
#include "controls/CheckButton.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderAction.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetController.h"
#include "presets/PresetStore.h"
#include "session/BackgroundMode.h"
#include "session/PanelService.h"
#include "session/SessionInstance.h"
#include "settings/SettingsDictionary.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

using CommandResult = PanelCommandResult;

class SessionBusTest : public apptest::PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        ASSERT_TRUE(m_bus.start());
        m_connectionName = QStringLiteral("panel-%1").arg(++s_connections);
        m_connection = m_bus.connect(m_connectionName);
        ASSERT_TRUE(m_connection.isConnected());
    }

    void TearDown() override
    {
        m_presets.reset();
        m_sound.reset();
        if (m_presetStore)
            m_presetStore->waitForFiles();
        m_presetStore.reset();
        m_background.reset();
        m_service.reset();
        m_remote.reset();
        PanelFixture::TearDown();
        QDBusConnection::disconnectFromBus(m_connectionName);
    }

    // The panel as main() puts it together, holding the session's name.
    void launch()
    {
        createPanel(panelPorts());
        m_remote = std::make_unique<PanelRemote>(*m_delegate, m_outlets.window);
        m_service = std::make_unique<PanelService>();
        ASSERT_TRUE(m_service->registerOn(m_connection));
        m_service->setPort(m_remote.get());
        ASSERT_EQ(SessionInstance(m_connection).claim(), SessionInstance::Claim::Claimed);
        BackgroundMode::Config config;
        config.optionsFile = m_optionsFile.isEmpty() ? m_dir.filePath(QStringLiteral("options.conf")) : m_optionsFile;
        config.autostart = Autostart(m_dir.filePath(QStringLiteral("config")));
        config.program = QStringLiteral("quorel-panel");
        config.quit = [this] { m_delegate->closeApplication(); };
        m_background = std::make_unique<BackgroundMode>(m_window.get(), *m_remote, config);
        m_window->show();
        m_delegate->applicationDidFinishLaunching();
    }

    // Then the presets over the launched panel, as main() adds them.
    void addPresets()
    {
        m_presetStore = std::make_unique<PresetStore>(m_dir.filePath(QStringLiteral("presets")));
        EXPECT_TRUE(m_presetStore->load().isEmpty());
        m_sound = std::make_unique<PanelSoundTarget>(*m_delegate);
        m_presets = std::make_unique<PresetController>(*m_sound, *m_presetStore);
        m_remote->setPresets(m_presets.get());
    }

    // The real binary with these arguments, on the test's bus, while this
    // process's event loop keeps answering it.
    CommandResult run(const QStringList& arguments, QProcessEnvironment env = {})
    {
        if (env.isEmpty())
            env = m_bus.environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("second-config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        return runPanelCommand(QStringLiteral(QUOREL_PANEL_BINARY), arguments, env);
    }

    static int s_connections;

    // Set before launch(), where the options are stored.
    QString m_optionsFile;
    PrivateSessionBus m_bus;
    QString m_connectionName;
    QDBusConnection m_connection{QString()};
    std::unique_ptr<PanelRemote> m_remote;
    std::unique_ptr<PanelService> m_service;
    std::unique_ptr<BackgroundMode> m_background;
    std::unique_ptr<PresetStore> m_presetStore;
    std::unique_ptr<PanelSoundTarget> m_sound;
    std::unique_ptr<PresetController> m_presets;
};

int SessionBusTest::s_connections = 0;

TEST_F(SessionBusTest, StatusTellsTheStateBeforeAndAfterLinkingAndExitsZeroOnlyWhenLinked)
{
    launch();
    const CommandResult before = run({QStringLiteral("--status")});
    EXPECT_EQ(before.exitCode, 4) << qPrintable(before.err);
    EXPECT_TRUE(before.out.startsWith(QStringLiteral("linked=no\npresent=no\nresponding=yes\nsound-server=yes\n"))) << qPrintable(before.out);
    EXPECT_TRUE(before.out.contains(QStringLiteral("\ndenoise=on\n"))) << "the stored values show while unlinked";

    ASSERT_TRUE(plugAndLink());
    const CommandResult after = run({QStringLiteral("--status")});
    EXPECT_EQ(after.exitCode, 0) << qPrintable(after.err);
    EXPECT_EQ(after.out, QStringLiteral("linked=yes\npresent=yes\nresponding=yes\nsound-server=yes\nspeaker=37\nmic=64\nmonitor=off\n"
                                        "denoise=on\nstage1=5\nstage2=-3\nstage3=0\nstage4=12\nstage5=-15\n"
                                        "reverb=57\nmixer=on\ntransport=idle\n"));
}

TEST_F(SessionBusTest, SetFromAnotherProcessReachesTheDeviceAsTheControlsWouldAndMovesThem)
{
    launch();
    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));

    const CommandResult set = run({QStringLiteral("--set"), QStringLiteral("denoise=off"), QStringLiteral("stage2=-7"),
                                   QStringLiteral("speaker=80")});
    ASSERT_EQ(set.exitCode, 0) << qPrintable(set.err);
    ASSERT_TRUE(waitForReports(3));
    QTest::qWait(200);
    ASSERT_EQ(m_reports.size(), 3) << "the speaker goes to the system volume, not to the device";

    QByteArray denoiseRecord = apptest::storedFullRecord();
    denoiseRecord[0] = 2;
    denoiseRecord[4] = 0;
    EXPECT_EQ(m_reports.at(1).toHex(' '), denoiseRecord.toHex(' '));
    QByteArray stageRecord = denoiseRecord;
    stageRecord[0] = 7;
    stageRecord[12] = static_cast<char>(0xF9);
    EXPECT_EQ(m_reports.at(2).toHex(' '), stageRecord.toHex(' '));

    EXPECT_FALSE(m_outlets.Denoise->checked());
    EXPECT_EQ(m_outlets.Stage2->value(), -7);
    EXPECT_EQ(m_outlets.Stage2Text->text(), QStringLiteral("-7"));
    EXPECT_EQ(m_outlets.Spk->value(), 80);
    EXPECT_EQ(m_outlets.SpkText->text(), QStringLiteral("80%"));
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::dehiss));
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage2), -7);
    // The volume is sent without waiting: the server applies it a moment later.
    QString volume;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        s_daemon->pactl({QStringLiteral("get-sink-volume"), QStringLiteral("quorel_sim_out")}, &volume);
        return volume.contains(QStringLiteral("80%"));
    }, 3000)) << qPrintable(volume);

    // The mixer is on already: nothing to send. Off toggles it once.
    ASSERT_EQ(run({QStringLiteral("--set"), QStringLiteral("mixer=on")}).exitCode, 0);
    ASSERT_EQ(run({QStringLiteral("--set"), QStringLiteral("mixer=off")}).exitCode, 0);
    ASSERT_TRUE(waitForReports(4));
    QTest::qWait(200);
    ASSERT_EQ(m_reports.size(), 4);
    EXPECT_EQ(static_cast<int>(m_reports.at(3).at(0)), 3);
    EXPECT_FALSE(m_delegate->settings()->boolValue(SettingsKey::mixer));
}

// The same changes made in the window and with --set give the device the
// same records and the settings the same values.
TEST_F(SessionBusTest, SetAndTheWindowsOwnChangesGiveIdenticalRecordsAndStoredValues)
{
    launch();
    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));
    const auto stored = [this] {
        QStringList values;
        for (const QString& key : SettingsKey::all())
            values << QStringLiteral("%1=%2").arg(key).arg(m_delegate->settings()->integerValue(key));
        return values;
    };
    const auto inTheWindow = [this](Qt::Key stageKey) {
        QTest::mouseClick(m_outlets.Denoise, Qt::LeftButton);
        m_outlets.Stage2->setFocus();
        QTest::keyClick(m_outlets.Stage2, stageKey);
        QTest::mouseClick(m_outlets.MixerButton, Qt::LeftButton);
        QTest::mouseClick(m_outlets.Monitor, Qt::LeftButton);
    };

    m_reports.clear();
    inTheWindow(Qt::Key_Down);
    ASSERT_TRUE(waitForReports(4));
    const QList<QByteArray> byWindow = m_reports;
    const QStringList storedByWindow = stored();
    EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage2), -4);

    inTheWindow(Qt::Key_Up); // back as it was
    ASSERT_TRUE(waitForReports(8));
    m_reports.clear();

    const CommandResult set = run({QStringLiteral("--set"), QStringLiteral("denoise=off"), QStringLiteral("stage2=-4"),
                                   QStringLiteral("mixer=off"), QStringLiteral("monitor=on")});
    ASSERT_EQ(set.exitCode, 0) << qPrintable(set.err);
    ASSERT_TRUE(waitForReports(4));
    QTest::qWait(200);
    ASSERT_EQ(m_reports.size(), byWindow.size());
    for (int i = 0; i < byWindow.size(); ++i)
        EXPECT_EQ(m_reports.at(i).toHex(' '), byWindow.at(i).toHex(' ')) << "record " << i;
    EXPECT_EQ(stored(), storedByWindow);
    EXPECT_FALSE(m_outlets.Denoise->checked());
    EXPECT_TRUE(m_outlets.Monitor->checked());
    EXPECT_EQ(m_outlets.Mixer->doubleValue(), 0.0);
}

TEST_F(SessionBusTest, ABusClientSeesEveryChangeWhereverItCameFrom)
{
    launch();
    PropertiesWatcher watcher;
    QDBusConnection client = m_bus.connect(m_connectionName + QStringLiteral("-watcher"));
    ASSERT_TRUE(client.connect(SessionInstance::kBusName, PanelService::kObjectPath,
                               QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                               &watcher, SLOT(changed(QString, QVariantMap, QStringList))));

    ASSERT_TRUE(plugAndLink());
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.saw(QStringLiteral("Linked"), true); }, 3000));
    EXPECT_TRUE(watcher.saw(QStringLiteral("DevicePresent"), true));

    // From a script.
    ASSERT_EQ(run({QStringLiteral("--toggle"), QStringLiteral("monitor")}).exitCode, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.saw(QStringLiteral("Monitor"), true); }, 3000));

    // From the window: the switch acts on the press.
    QTest::mousePress(m_outlets.Monitor, Qt::LeftButton);
    QTest::mouseRelease(m_outlets.Monitor, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.saw(QStringLiteral("Monitor"), false); }, 3000));

    // From the system's mixer.
    s_daemon->pactl({QStringLiteral("set-sink-volume"), QStringLiteral("quorel_sim_out"), QStringLiteral("20%")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_outlets.Spk->value() != 37; }, 3000));
    EXPECT_NEAR(m_outlets.Spk->value(), 20, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.saw(QStringLiteral("Speaker"), m_outlets.Spk->value()); }, 3000));

    m_device->unplug();
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.saw(QStringLiteral("Linked"), false); }, 3000));
    EXPECT_TRUE(watcher.saw(QStringLiteral("DevicePresent"), false));
    QDBusConnection::disconnectFromBus(m_connectionName + QStringLiteral("-watcher"));
}

TEST_F(SessionBusTest, RefusalsAndMistakesGiveClearMessagesAndTheirExitCodes)
{
    launch();
    const CommandResult unlinked = run({QStringLiteral("--set"), QStringLiteral("denoise=off")});
    EXPECT_EQ(unlinked.exitCode, 4);
    EXPECT_TRUE(unlinked.err.contains(QStringLiteral("cannot set denoise: the device is not linked")))
        << qPrintable(unlinked.err);
    EXPECT_TRUE(m_outlets.Denoise->checked()) << "nothing moved";

    const CommandResult range = run({QStringLiteral("--set"), QStringLiteral("stage3=20")});
    EXPECT_EQ(range.exitCode, 2);
    EXPECT_TRUE(range.err.contains(QStringLiteral("stage3 takes -15 to 15; 20 is out of range")));

    // Another bus client is held to the ranges too.
    ASSERT_TRUE(plugAndLink());
    QDBusMessage call = QDBusMessage::createMethodCall(SessionInstance::kBusName, PanelService::kObjectPath,
                                                       PanelService::kInterface, QStringLiteral("SetStage"));
    QDBusConnection client = m_bus.connect(m_connectionName + QStringLiteral("-client"));
    for (const auto& [stage, value] : {std::pair{3, 20}, std::pair{6, 0}}) {
        call.setArguments({stage, value});
        QDBusPendingCall pending = client.asyncCall(call);
        ASSERT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 5000));
        EXPECT_EQ(pending.error().name(), QStringLiteral("com.quorel.panel.Error.OutOfRange"));
    }
    QDBusConnection::disconnectFromBus(m_connectionName + QStringLiteral("-client"));
    EXPECT_EQ(m_outlets.Stage3->value(), 0);

    ASSERT_TRUE(m_connection.unregisterService(SessionInstance::kBusName));
    const CommandResult none = run({QStringLiteral("--status")});
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_TRUE(none.err.contains(QStringLiteral("no panel is running in this session"))) << qPrintable(none.err);

    QProcessEnvironment noBus = m_bus.environment();
    noBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-bus")));
    const CommandResult unreachable = run({QStringLiteral("--toggle"), QStringLiteral("denoise")}, noBus);
    EXPECT_EQ(unreachable.exitCode, 3);
    EXPECT_TRUE(unreachable.err.contains(QStringLiteral("no session bus"))) << qPrintable(unreachable.err);
}

TEST_F(SessionBusTest, KeepRunningHidesTheWindowAndAReplugRestoresTheLatestSettingsWithoutIt)
{
    launch();
    ASSERT_TRUE(plugAndLink());
    ASSERT_EQ(run({QStringLiteral("--set"), QStringLiteral("stage1=0")}).exitCode, 0);

    m_background->keepRunningAction()->trigger();
    EXPECT_TRUE(m_background->keepRunning());
    EXPECT_TRUE(QSettings(m_dir.filePath(QStringLiteral("options.conf")), QSettings::IniFormat)
                    .value(QStringLiteral("keepRunning"))
                    .toBool());

    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
    m_window->close();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_quits, 0);
    EXPECT_TRUE(lastWindowClosed.isEmpty()) << "a hidden window does not end the application";

    m_device->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_delegate->linked(); }, 3000));
    m_reports.clear();
    QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
    ASSERT_TRUE(m_device->plug());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_delegate->linking() || !finished.isEmpty(); }, 5000));
    EXPECT_FALSE(m_outlets.LinkingPanel->isVisible()) << "no sheet pops up over the desktop";
    ASSERT_TRUE(finished.wait(5000) || !finished.isEmpty());
    ASSERT_TRUE(finished.first().first().toBool());

    ASSERT_TRUE(waitForReports(1));
    QByteArray expected = apptest::storedFullRecord();
    expected[11] = 0;
    EXPECT_EQ(m_reports.first().toHex(' '), expected.toHex(' ')) << "the full record with the latest settings";
    EXPECT_FALSE(m_window->isVisible());

    // Off again, closing quits as it always has.
    m_background->keepRunningAction()->trigger();
    m_window->show();
    m_window->close();
    EXPECT_EQ(m_quits, 1);
}

// An option that cannot be stored is not taken: the item shows it off,
// the user is told, and closing the window still quits.
TEST_F(SessionBusTest, AKeepRunningThatCannotBeStoredIsNotTaken)
{
    QFile blocker(m_dir.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_optionsFile = blocker.fileName() + QStringLiteral("/options.conf");
    launch();
    QSignalSpy failed(m_background.get(), &BackgroundMode::failed);
    m_background->keepRunningAction()->trigger();
    EXPECT_EQ(failed.size(), 1);
    EXPECT_FALSE(m_background->keepRunning());
    EXPECT_FALSE(m_background->keepRunningAction()->isChecked());
    m_window->close();
    EXPECT_EQ(m_quits, 1);
}

TEST_F(SessionBusTest, StartAtLoginWritesAndRemovesTheEntryAndTheWindowMenuCarriesTheOptions)
{
    launch();
    const QString entry = m_dir.filePath(QStringLiteral("config/autostart/com.quorel.panel.desktop"));
    m_background->startAtLoginAction()->trigger();
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(m_background->startAtLoginAction()->isChecked());
    EXPECT_TRUE(m_background->keepRunning()) << "started at login, the panel stays when its window is closed";
    m_background->startAtLoginAction()->trigger();
    EXPECT_FALSE(QFile::exists(entry));

    // No tray on the offscreen platform: the options are in the window's menu.
    EXPECT_EQ(m_background->trayIcon(), nullptr);
    EXPECT_EQ(m_window->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_TRUE(m_window->actions().contains(m_background->keepRunningAction()));
    EXPECT_TRUE(m_window->actions().contains(m_background->startAtLoginAction()));
    EXPECT_TRUE(m_window->actions().contains(m_background->quitAction()));

    // The tray menu's switches follow the link and drive the device.
    EXPECT_FALSE(m_background->denoiseAction()->isEnabled());
    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_background->denoiseAction()->isEnabled(); }, 3000));
    EXPECT_TRUE(m_background->denoiseAction()->isChecked());
    ASSERT_TRUE(waitForReports(1));
    m_background->denoiseAction()->trigger();
    ASSERT_TRUE(waitForReports(2));
    EXPECT_EQ(static_cast<int>(m_reports.at(1).at(0)), 2);
    EXPECT_FALSE(m_outlets.Denoise->checked());
}

TEST_F(SessionBusTest, ASecondStartRaisesTheFirstAndLeavesWithoutTouchingDeviceOrSettings)
{
    launch();
    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));
    m_window->hide();
    const QString secondConfig = m_dir.filePath(QStringLiteral("second-config"));

    const CommandResult hidden = run({QStringLiteral("--hidden")});
    EXPECT_EQ(hidden.exitCode, 0) << qPrintable(hidden.err);
    EXPECT_FALSE(m_window->isVisible()) << "a background start leaves the window as it is";

    const CommandResult second = run({});
    EXPECT_EQ(second.exitCode, 0) << qPrintable(second.err);
    EXPECT_TRUE(second.err.contains(QStringLiteral("brought its window to the front"))) << qPrintable(second.err);
    EXPECT_TRUE(m_window->isVisible());

    QTest::qWait(500);
    EXPECT_EQ(m_reports.size(), 1) << "the second start sent nothing";
    EXPECT_FALSE(QFile::exists(secondConfig + QStringLiteral("/quorel-panel/quorel-panel.conf")))
        << "the second start read and stored no settings";
}

} // namespace


// Presets from scripts reach the real controller: one full record per
// preset, the list marking the active one and the window's changes to it,
// a save sending nothing, and unknown names refused on the command line
// and the bus alike with nothing sent.
TEST_F(SessionBusTest, PresetsFromScriptsAndTheBusDriveTheRealController)
{
    launch();
    addPresets();
    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));
    QTest::qWait(200);
    m_reports.clear();

    CommandResult r = run({QStringLiteral("--preset"), QStringLiteral("Voice"), QStringLiteral("--presets")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("\n* Voice\n"))) << qPrintable(r.out);
    ASSERT_TRUE(waitForReports(1));
    QTest::qWait(200);
    ASSERT_EQ(m_reports.size(), 1);
    EXPECT_EQ(m_reports.first().at(0), 8);
    const PresetSound voice = FactoryPresets::find(QStringLiteral("Voice"))->sound;
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(m_delegate->settings()->integerValue(SettingsKey::stage(n)), voice.stages[static_cast<std::size_t>(n - 1)]);
    EXPECT_EQ(m_outlets.Denoise->checked(), voice.denoise);
    m_reports.clear();

    QTest::mouseClick(m_outlets.Monitor, Qt::LeftButton);
    ASSERT_TRUE(waitForReports(1));
    r = run({QStringLiteral("--presets")});
    EXPECT_TRUE(r.out.contains(QStringLiteral("\n* Voice (modified)\n"))) << qPrintable(r.out);

    r = run({QStringLiteral("--save-preset"), QStringLiteral("Voice, monitored"), QStringLiteral("--presets")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("\n* Voice, monitored\n"))) << qPrintable(r.out);
    QTest::qWait(200);
    EXPECT_EQ(m_reports.size(), 1) << "saving sends nothing";
    m_reports.clear();

    r = run({QStringLiteral("--preset"), QStringLiteral("Nope")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("there is no preset \"Nope\""))) << qPrintable(r.err);
    QDBusMessage call = QDBusMessage::createMethodCall(SessionInstance::kBusName, PanelService::kObjectPath,
                                                       PanelService::kInterface, QStringLiteral("ApplyPreset"));
    call.setArguments({QStringLiteral("Nope")});
    QDBusConnection client = m_bus.connect(m_connectionName + QStringLiteral("-client"));
    QDBusPendingCall unknown = client.asyncCall(call);
    ASSERT_TRUE(QTest::qWaitFor([&] { return unknown.isFinished(); }, 5000));
    EXPECT_EQ(unknown.error().name(), QStringLiteral("com.quorel.panel.Error.UnknownPreset"));

    call.setArguments({QStringLiteral("Music")});
    QDBusPendingCall music = client.asyncCall(call);
    ASSERT_TRUE(QTest::qWaitFor([&] { return music.isFinished(); }, 5000));
    EXPECT_FALSE(music.isError()) << qPrintable(music.error().message());
    QDBusConnection::disconnectFromBus(m_connectionName + QStringLiteral("-client"));
    ASSERT_TRUE(waitForReports(1));
    QTest::qWait(200);
    ASSERT_EQ(m_reports.size(), 1) << "only the known preset was sent";
    EXPECT_EQ(m_reports.first().at(0), 8);
    EXPECT_EQ(m_presets->active(), QStringLiteral("Music"));
}
