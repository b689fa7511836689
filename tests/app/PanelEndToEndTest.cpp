// The real program on a virtual X display (and, in PanelOnWaylandTest, as a
// Wayland client of a headless Weston), against a simulated device: a
// umockdev HID node (the panel inherits the testbed through the umockdev
// preload and UMOCKDEV_DIR) and its sink and source on a private sound
// server. The link wait is the product's five seconds.
#include "AppTestSupport.h"
#include "HelperProcess.h"
#include "PrivateSessionBus.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"

#include "app/MainWindow.h"
#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/PresetSelector.h"
#include "presets/FactoryPresets.h"
#include "settings/PropertyList.h"
#include "settings/SettingsStore.h"

#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QLibraryInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QVersionNumber>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

// The desktop's tray as the StatusNotifierItem protocol has it: a watcher
// that a tray host has registered with, taking the panel's item.
class StatusNotifierWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return m_items; }
    // The bus name the panel's item answers on.
    QString itemService() const { return m_itemService; }

public slots:
    void RegisterStatusNotifierItem(const QString& service)
    {
        m_itemService = service.startsWith(QLatin1Char('/')) ? message().service() : service;
        m_items << m_itemService;
    }
    void RegisterStatusNotifierHost(const QString&) {}

private:
    QStringList m_items;
    QString m_itemService;
};

namespace {

// A virtual X display for the panel, ended with the test.
class VirtualDisplay {
public:
    bool start(const QString& screen)
    {
        for (int number = 90 + getpid() % 300; number < 1000; number += 7) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
                continue;
            m_name = QStringLiteral(":%1").arg(number);
            m_process.start(QStringLiteral("Xvfb"), {m_name, QStringLiteral("-screen"), QStringLiteral("0"),
                                                     screen, QStringLiteral("-nolisten"),
                                                     QStringLiteral("tcp")});
            if (!m_process.waitForStarted(5000))
                return false;
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
            if (QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 5000))
                return true;
            m_process.kill();
            m_process.waitForFinished(2000);
        }
        return false;
    }
    ~VirtualDisplay()
    {
        endHelperProcess(m_process);
    }
    QString name() const { return m_name; }

private:
    QProcess m_process;
    QString m_name;
};

// A headless Weston for the panel, its socket in a runtime folder of the
// test's, drawing with pixman so its screen can be captured (--debug lets
// weston-screenshooter do so); ended with the test.
class WestonDisplay {
public:
    // Empty once it listens; otherwise why it cannot start.
    QString start(const QString& runtimeDir, QSize size)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("DISPLAY"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("weston"),
                        {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-pixman"),
                         QStringLiteral("--width=%1").arg(size.width()),
                         QStringLiteral("--height=%1").arg(size.height()), QStringLiteral("--socket=") + socket(),
                         QStringLiteral("--no-config"), QStringLiteral("--idle-time=0"), QStringLiteral("--debug")});
        if (!m_process.waitForStarted(10000))
            return QStringLiteral("weston cannot be run (%1)").arg(m_process.errorString());
        const QString path = runtimeDir + QLatin1Char('/') + socket();
        const bool listening =
            QTest::qWaitFor([&] { return QFileInfo::exists(path) || m_process.state() == QProcess::NotRunning; }, 30000)
            && m_process.state() != QProcess::NotRunning && QFileInfo::exists(path);
        if (!listening)
            return QStringLiteral("weston did not start: %1").arg(QString::fromLocal8Bit(m_process.readAll()));
        return {};
    }
    ~WestonDisplay()
    {
        endHelperProcess(m_process);
    }
    QString socket() const { return QStringLiteral("wayland-quorel-test"); }

private:
    QProcess m_process;
};

enum class Capture { MainWindow, Screen };

// The X id of the panel's main window, or empty.
QString findMainWindow(const QProcessEnvironment& env)
{
    QProcess search;
    search.setProcessEnvironment(env);
    search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                              QStringLiteral("^Quorel Panel$")});
    search.waitForFinished(5000);
    return QString::fromUtf8(search.readAllStandardOutput()).split('\n').first().trimmed();
}

// Saves the main window, or the whole screen (with the sheet, a window of
// its own); the screen too when the window cannot be found.
bool saveScreenshot(const QProcessEnvironment& env, const QString& path, Capture what = Capture::MainWindow)
{
    const QString window = what == Capture::MainWindow ? findMainWindow(env) : QString();
    QProcess shot;
    shot.setProcessEnvironment(env);
    shot.start(QStringLiteral("import"), {QStringLiteral("-window"),
                                          window.isEmpty() ? QStringLiteral("root") : window, path});
    return shot.waitForFinished(20000) && shot.exitCode() == 0 && QFileInfo(path).size() > 0;
}

// The real panel on its own virtual display, with a private sound server and
// the simulated device plugged in before it starts, and the test's settings
// in a home of its own. The testbed's environment (preload, UMOCKDEV_DIR,
// PULSE_SERVER) is this process's; the panel inherits it.
class PanelEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(daemon.start());
        ASSERT_TRUE(home.isValid());
        startDisplay();
        if (IsSkipped() || HasFatalFailure())
            return;
        QObject::connect(&device, &SimulatedDevice::reportReceived,
                         [this](const QByteArray& record) { reports.append(record); });
        ASSERT_TRUE(device.plug());

        settingsFile = home.filePath(QStringLiteral("config/quorel-panel/quorel-panel.conf"));
        QDir().mkpath(QFileInfo(settingsFile).path());
        ASSERT_TRUE(SettingsStore(settingsFile, QString()).save(apptest::storedSettings()));
        if (!m_editedSettings.isEmpty()) {
            QSettings(settingsFile, QSettings::IniFormat).setValue(QStringLiteral("plist"), m_editedSettings);
        }

        // A session bus of its own, so the panel is the session's only one.
        ASSERT_TRUE(bus.start());
        env = bus.environment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        // The texts the tests read are the English ones, whatever the machine's language.
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        addDisplay(env);
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        prepareSession();
        prepareEnvironment(env);
        panel.setProcessEnvironment(env);
        panel.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        panel.start(QStringLiteral(QUOREL_PANEL_BINARY), {});
        ASSERT_TRUE(panel.waitForStarted(5000));
    }

    // The display the panel shows on: a virtual X display, unless a test
    // takes another.
    virtual void startDisplay() { ASSERT_TRUE(display.start(screenGeometry())); }
    virtual void addDisplay(QProcessEnvironment& environment)
    {
        environment.insert(QStringLiteral("DISPLAY"), display.name());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }
    // What the desktop offers on the session bus before the panel starts.
    virtual void prepareSession() {}
    // What a test adds to the panel's environment before it starts, and the
    // virtual screen it needs.
    virtual void prepareEnvironment(QProcessEnvironment&) {}
    virtual QString screenGeometry() const { return QStringLiteral("1280x900x24"); }

    void terminatePanel()
    {
        ::kill(static_cast<pid_t>(panel.processId()), SIGTERM);
        ASSERT_TRUE(panel.waitForFinished(15000));
        EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(panel.exitCode(), 0);
    }

    // Runs a screen reader's side (a script over AT-SPI); its output goes to
    // the test's log.
    int runScreenReader(const QString& script, const QStringList& arguments)
    {
        QProcess reader;
        reader.setProcessEnvironment(env);
        reader.setProcessChannelMode(QProcess::MergedChannels);
        reader.start(QStringLiteral("/usr/bin/python3"), QStringList{script} + arguments);
        if (!reader.waitForFinished(90000)) {
            reader.kill();
            reader.waitForFinished(2000);
        }
        std::fputs(reader.readAll().constData(), stderr);
        return reader.exitStatus() == QProcess::NormalExit ? reader.exitCode() : -1;
    }

    // Runs the panel's command line against the panel under test; its exit
    // code, or -1 when it does not end.
    int runCommand(const QStringList& arguments, QString* out = nullptr) const
    {
        QProcess command;
        command.setProcessEnvironment(env);
        command.start(QStringLiteral(QUOREL_PANEL_BINARY), arguments);
        if (!command.waitForFinished(15000))
            return -1;
        if (out)
            *out = QString::fromUtf8(command.readAllStandardOutput());
        return command.exitCode();
    }

    std::optional<SettingsDictionary> storedSettings() const
    {
        return SettingsStore(settingsFile, QString()).load();
    }

    PulseDaemon daemon{PulseDaemon::builtinScript()};
    PrivateSessionBus bus;
    VirtualDisplay display;
    SimulatedDevice device;
    QList<QByteArray> reports;
    QTemporaryDir home;
    QString settingsFile;
    // Set, the stored property list the panel starts from instead.
    QString m_editedSettings;
    QProcessEnvironment env;
    QProcess panel;
};

TEST_F(PanelEndToEndTest, LinksAfterTheWaitSendsOneFullRecordAndStoresOnSigterm)
{
    const QString artifacts = QStringLiteral(QUOREL_ARTIFACT_DIR);
    QDir().mkpath(artifacts);
    QTest::qWait(3000);
    EXPECT_TRUE(reports.isEmpty()) << "nothing is sent before the device has settled";
    EXPECT_TRUE(saveScreenshot(env, artifacts + QStringLiteral("/panel-linking.png"), Capture::Screen));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";
    QTest::qWait(1000);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.first().toHex(' '), apptest::storedFullRecord().toHex(' '));

    // Noise played into the device comes back on its input, so the picture
    // shows the spectrum moving.
    QProcess noise;
    noise.start(QStringLiteral("gst-launch-1.0"),
                {QStringLiteral("-q"), QStringLiteral("audiotestsrc"), QStringLiteral("wave=pink-noise"),
                 QStringLiteral("volume=1.0"), QStringLiteral("!"), QStringLiteral("audioconvert"),
                 QStringLiteral("!"), QStringLiteral("pulsesink"), QStringLiteral("device=quorel_sim_out")});
    QTest::qWait(1500);
    EXPECT_TRUE(saveScreenshot(env, artifacts + QStringLiteral("/panel-linked.png")));
    noise.kill();
    noise.waitForFinished(3000);

    // Change a setting behind the panel's back so the store must be rewritten.
    SettingsDictionary changed = apptest::storedSettings();
    changed.setInteger(SettingsKey::stage1, 0);
    ASSERT_TRUE(SettingsStore(settingsFile, QString()).save(changed));

    terminatePanel();

    // Every log line reaches stderr (and syslog) with its category.
    const QString log = QString::fromUtf8(panel.readAllStandardError());
    std::fputs(qPrintable(log), stderr);
    EXPECT_TRUE(log.contains(QStringLiteral("quorel-panel info quorel.app: device linked")));
    EXPECT_TRUE(log.contains(QStringLiteral("quorel.app.signals: received signal Terminated")));
    const std::optional<SettingsDictionary> stored = storedSettings();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->integerValue(SettingsKey::stage1), 5) << "the shut-down stored the panel's values";
    EXPECT_EQ(reports.size(), 1) << "nothing is sent at shut-down";
}

// Runs xdotool with these arguments on the panel's display.
void xdotool(const QProcessEnvironment& env, const QStringList& arguments)
{
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("xdotool"), arguments);
    ASSERT_TRUE(tool.waitForFinished(5000));
    ASSERT_EQ(tool.exitCode(), 0) << qPrintable(arguments.join(' '));
}

// Clicks a control of the window on the panel's display.
void clickControl(const QProcessEnvironment& env, QWidget* (*control)(MainWindow&))
{
    // Where the control sits in the window: the same window laid out here.
    MainWindow layout;
    layout.show();
    QWidget* widget = control(layout);
    ASSERT_NE(widget, nullptr);
    const QPoint centre = widget->mapTo(&layout, widget->rect().center());
    const QString window = findMainWindow(env);
    ASSERT_FALSE(window.isEmpty());
    xdotool(env, {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(centre.x()),
                  QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")});
}

// Clicks the window's Denoise switch on the panel's display.
void clickDenoise(const QProcessEnvironment& env)
{
    clickControl(env, [](MainWindow& window) -> QWidget* { return window.outlets().Denoise; });
}

// What a newcomer does with the simulated device: the panel links, a click
// on a switch reaches the device as the matching record, the device leaves,
// the panel quits and keeps the change.
TEST_F(PanelEndToEndTest, ASwitchClickedOnScreenReachesTheSimulatedDevice)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(SimulatedDevice::describe(reports.first()).startsWith(QStringLiteral("changed_type=8 (full refresh)")))
        << qPrintable(SimulatedDevice::describe(reports.first()));

    clickDenoise(env);

    // Denoise was on in the stored settings: the click turns it off.
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() >= 2; }, 5000)) << "the click sent nothing";
    QByteArray expected = apptest::storedFullRecord();
    expected[0] = 2;
    expected[4] = 0;
    EXPECT_EQ(reports.at(1).toHex(' '), expected.toHex(' ')) << qPrintable(SimulatedDevice::describe(reports.at(1)));

    device.unplug();
    QTest::qWait(500);
    terminatePanel();
    EXPECT_EQ(reports.size(), 2) << "nothing is sent on unplug or at shut-down";

    const std::optional<SettingsDictionary> stored = storedSettings();
    ASSERT_TRUE(stored.has_value());
    EXPECT_FALSE(stored->boolValue(SettingsKey::dehiss));
}

// The device stops answering after a Monitor click. Once the window says
// so, a click aimed at Denoise lands on Denoise: the message that appeared
// moved no control. Both changes reach the device when it answers again.
TEST_F(PanelEndToEndTest, AClickAsTheDeviceFaultAppearsReachesTheControlUnderThePointer)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";
    ASSERT_TRUE(device.setStalled(true));
    clickControl(env, [](MainWindow& window) -> QWidget* { return window.outlets().Monitor; });
    QString status;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return runCommand({QStringLiteral("--status")}, &status) == 0 && status.contains(QStringLiteral("\nresponding=no\n")); },
        10000))
        << qPrintable(status);
    clickDenoise(env);
    ASSERT_TRUE(device.setStalled(false));

    // Stored Monitor off and Denoise on: both clicks flip them.
    QByteArray denoiseRecord = apptest::storedFullRecord();
    denoiseRecord[0] = 2;
    denoiseRecord[4] = 0;
    denoiseRecord[5] = 0x17;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return std::any_of(reports.begin(), reports.end(), [&](const QByteArray& r) { return r == denoiseRecord; }); },
        10000))
        << "no Denoise record: " << qPrintable(SimulatedDevice::describe(reports.last()));
    QByteArray monitorRecord = apptest::storedFullRecord();
    monitorRecord[0] = 3;
    monitorRecord[5] = 0x17;
    EXPECT_EQ(reports.at(1).toHex(' '), monitorRecord.toHex(' '));
    QTest::qWait(500);
    terminatePanel();
    const std::optional<SettingsDictionary> stored = storedSettings();
    ASSERT_TRUE(stored.has_value());
    EXPECT_TRUE(stored->boolValue(SettingsKey::monitor));
    EXPECT_FALSE(stored->boolValue(SettingsKey::dehiss));
}

class PanelAccessibilityTest : public PanelEndToEndTest {
protected:
    void prepareEnvironment(QProcessEnvironment& environment) override
    {
        // Qt's bridge otherwise waits for the desktop to say a screen reader runs.
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        environment.remove(QStringLiteral("QT_ACCESSIBILITY"));
    }

    int screenReader(const QStringList& arguments)
    {
        return runScreenReader(QStringLiteral(QUOREL_ATSPI_SCRIPT), arguments);
    }
};

// A screen-reader user: Denoise found by name in the real window's tree and
// toggled through its accessible action reaches the device as the click's
// record; Reverb set through its value announces the change and sends its
// record.
TEST_F(PanelAccessibilityTest, DenoiseToggledOverTheAccessibilityBusReachesTheDevice)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";
    ASSERT_EQ(reports.size(), 1);

    ASSERT_EQ(screenReader({QStringLiteral("Denoise"), QStringLiteral("check box"), QStringLiteral("Toggle")}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() >= 2; }, 5000)) << "the action sent nothing";
    QByteArray expected = apptest::storedFullRecord();
    expected[0] = 2;
    expected[4] = 0;
    EXPECT_EQ(reports.at(1).toHex(' '), expected.toHex(' ')) << qPrintable(SimulatedDevice::describe(reports.at(1)));

    ASSERT_EQ(screenReader({QStringLiteral("Reverb"), QStringLiteral("slider"), QString(), QStringLiteral("--value"),
                            QStringLiteral("20")}),
              0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() >= 3; }, 5000)) << "the value sent nothing";
    EXPECT_EQ(reports.at(2).at(0), 4);

    terminatePanel();
    const std::optional<SettingsDictionary> stored = storedSettings();
    ASSERT_TRUE(stored.has_value());
    EXPECT_FALSE(stored->boolValue(SettingsKey::dehiss));
    EXPECT_EQ(stored->integerValue(SettingsKey::reverb), 20);
}

// A failure reaches a screen-reader user unasked: the settings cannot be
// saved after a change, and an alert saying so starts showing in the window.
TEST_F(PanelAccessibilityTest, AFailureIsReadAsAnAlert)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";
    ASSERT_TRUE(QFile::remove(settingsFile));
    ASSERT_TRUE(QDir().mkdir(settingsFile));

    EXPECT_EQ(screenReader({QStringLiteral("Denoise"), QStringLiteral("check box"), QStringLiteral("Toggle"),
                            QStringLiteral("--alert"), QStringLiteral("could not be saved")}),
              0);

    ASSERT_TRUE(QDir().rmdir(settingsFile));
    terminatePanel();
}

// The preset selector as a screen-reader user and a keyboard user work it:
// found by name, its list opened through its action (the list, a popup, is
// outside the window's accessible tree, so the first preset in it is taken
// with the keys a screen-reader user presses there); then focused and
// stepped on with Down. Each choice is one full record of that
// preset's sound.
TEST_F(PanelAccessibilityTest, ThePresetSelectorChoosesByKeyboardAndOverTheAccessibilityBus)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";
    ASSERT_EQ(reports.size(), 1);
    const auto expectPreset = [&](const QByteArray& record, const QString& name) {
        const PresetSound sound = FactoryPresets::find(name)->sound;
        EXPECT_EQ(record.at(0), 8) << qPrintable(name);
        for (int n = 0; n < 5; ++n)
            EXPECT_EQ(static_cast<qint8>(record.at(11 + n)), sound.stages[static_cast<std::size_t>(n)]) << qPrintable(name);
    };
    const QString window = findMainWindow(env);
    ASSERT_FALSE(window.isEmpty());
    const auto key = [&](const char* name) {
        xdotool(env, {QStringLiteral("key"), QStringLiteral("--window"), window, QString::fromLatin1(name)});
    };

    ASSERT_EQ(screenReader({QStringLiteral("Preset"), QStringLiteral("combo box"), QStringLiteral("ShowMenu")}), 0);
    key("Down");
    key("Return");
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() >= 2; }, 5000)) << "the choice sent nothing";
    expectPreset(reports.at(1), QStringLiteral("Flat"));

    // Focused over the bus, whose answer comes once the panel has done it
    // (a click's popup could still be on its way when the next key comes).
    ASSERT_EQ(screenReader({QStringLiteral("Preset"), QStringLiteral("combo box"), QStringLiteral("SetFocus")}), 0);
    key("Down");
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() >= 3; }, 5000)) << "the key sent nothing";
    expectPreset(reports.at(2), QStringLiteral("Voice"));
    QTest::qWait(500);
    EXPECT_EQ(reports.size(), 3);

    terminatePanel();
    const std::optional<SettingsDictionary> stored = storedSettings();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->integerValue(SettingsKey::stage1), FactoryPresets::find(QStringLiteral("Voice"))->sound.stages[0]);
}

// The real window at 200 %: a screenshot holds twice the logical size with
// the skin drawn at full detail (not a 100 % picture blown up), and a click
// at twice a control's logical place lands on it.
class PanelAtTwiceTheScaleTest : public PanelEndToEndTest {
protected:
    void prepareEnvironment(QProcessEnvironment& environment) override
    {
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    }
    QString screenGeometry() const override { return QStringLiteral("2400x1800x24"); }
};

// Mean difference of the colour channels over the pixels where `control`
// is opaque, between the screenshot at `origin` and the control's own
// rendering at `ratio`, enlarged to the screenshot's 2x.
double differenceFrom(const QImage& shot, QPoint origin, QWidget* control, qreal ratio)
{
    QImage own((QSizeF(control->size()) * ratio).toSize(), QImage::Format_ARGB32);
    own.setDevicePixelRatio(ratio);
    own.fill(Qt::transparent);
    control->render(&own, QPoint(), QRegion(), QWidget::DrawChildren);
    own = own.scaled(control->size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    int count = 0;
    for (int y = 0; y < own.height(); ++y) {
        for (int x = 0; x < own.width(); ++x) {
            const QRgb mine = own.pixel(x, y);
            if (qAlpha(mine) != 255 || !shot.valid(origin + QPoint(x, y)))
                continue;
            const QRgb theirs = shot.pixel(origin + QPoint(x, y));
            sum += std::abs(qRed(mine) - qRed(theirs)) + std::abs(qGreen(mine) - qGreen(theirs))
                + std::abs(qBlue(mine) - qBlue(theirs));
            ++count;
        }
    }
    return count > 100 ? sum / (3.0 * count) : 255.0;
}

TEST_F(PanelAtTwiceTheScaleTest, WindowIsCrispAndItsHitAreasScale)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";
    const QString artifacts = QStringLiteral(QUOREL_ARTIFACT_DIR);
    QDir().mkpath(artifacts);
    const QString path = artifacts + QStringLiteral("/panel-linked-200.png");
    QTest::qWait(500);
    ASSERT_TRUE(saveScreenshot(env, path));
    const QImage shot = QImage(path).convertToFormat(QImage::Format_RGB32);

    // The same window laid out here at 100 %.
    MainWindow layout;
    layout.show();
    EXPECT_NEAR(shot.width(), 2 * layout.width(), 4);
    EXPECT_NEAR(shot.height(), 2 * layout.height(), 4);

    // The play button shows its enable image in both windows.
    QWidget* play = layout.outlets().playButton;
    const QPoint origin = play->mapTo(&layout, QPoint(0, 0)) * 2;
    const double fine = differenceFrom(shot, origin, play, 2.0);
    const double coarse = differenceFrom(shot, origin, play, 1.0);
    std::fprintf(stderr, "play button at 200 %%: mean difference %.2f from its 200 %% rendering, %.2f from its 100 %% picture enlarged\n",
                 fine, coarse);
    EXPECT_LT(fine, 3.0) << "the button at 200 % is its image drawn at 200 %";
    EXPECT_GT(coarse, 2 * fine + 1.0) << "and not its 100 % picture enlarged";

    // Denoise clicked at twice its logical centre.
    QWidget* denoise = layout.outlets().Denoise;
    const QPoint centre = denoise->mapTo(&layout, denoise->rect().center()) * 2;
    QProcess click;
    click.setProcessEnvironment(env);
    click.start(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QStringLiteral("--window"), findMainWindow(env),
                 QString::number(centre.x()), QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(click.waitForFinished(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() >= 2; }, 5000)) << "the click missed the switch";
    EXPECT_EQ(reports.at(1).at(0), 2);
    EXPECT_EQ(reports.at(1).at(4), 0);
    terminatePanel();
}

// From a terminal: starting the panel again only raises the running one,
// and the command line changes the device and reads the state back.
TEST_F(PanelEndToEndTest, ASecondStartRaisesThePanelAndTheCommandLineDrivesIt)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";

    EXPECT_EQ(runCommand({}), 0) << "the second start leaves at once";
    EXPECT_EQ(runCommand({QStringLiteral("--toggle"), QStringLiteral("denoise")}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() >= 2; }, 5000)) << "the toggle sent nothing";
    QByteArray expected = apptest::storedFullRecord();
    expected[0] = 2;
    expected[4] = 0;
    EXPECT_EQ(reports.at(1).toHex(' '), expected.toHex(' '));
    QString status;
    EXPECT_EQ(runCommand({QStringLiteral("--status")}, &status), 0);
    EXPECT_TRUE(status.contains(QStringLiteral("\ndenoise=off\n"))) << qPrintable(status);

    QTest::qWait(1000);
    EXPECT_EQ(reports.size(), 2) << "one link and one change: the second start sent nothing";
    terminatePanel();
    const QString log = QString::fromUtf8(panel.readAllStandardError());
    EXPECT_TRUE(log.contains(QStringLiteral("quorel.session: asked to show the window"))) << qPrintable(log);
    EXPECT_TRUE(log.contains(QStringLiteral("no system tray; the background options are in the window's context menu")));
    const std::optional<SettingsDictionary> stored = storedSettings();
    ASSERT_TRUE(stored.has_value());
    EXPECT_FALSE(stored->boolValue(SettingsKey::dehiss));
}

// A sound server that stops answering while the panel is linked holds up
// neither the command line nor the device: the session bus is answered from
// the panel's state, the device's records go out, and the outage shows in
// the status until the server answers again.
TEST_F(PanelEndToEndTest, AHungSoundServerHoldsUpNeitherTheCommandLineNorTheDevice)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";
    const auto soundServerShown = [&](const char* answering) {
        QString status;
        return runCommand({QStringLiteral("--status")}, &status) == 0
            && status.contains(QStringLiteral("\nsound-server=%1\n").arg(QLatin1String(answering)));
    };
    ASSERT_TRUE(soundServerShown("yes"));

    const pid_t server = daemon.serverPid();
    ASSERT_GT(server, 0);
    ASSERT_EQ(::kill(server, SIGSTOP), 0);
    struct Resume {
        pid_t pid;
        ~Resume() { ::kill(pid, SIGCONT); }
    } resume{server};

    EXPECT_EQ(runCommand({QStringLiteral("--toggle"), QStringLiteral("denoise")}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() >= 2; }, 5000)) << "the toggle sent nothing";
    EXPECT_EQ(static_cast<unsigned char>(reports.at(1).at(0)), 2) << "the denoise record";
    // A volume for the stopped server: once it goes unanswered past its
    // bound, the panel says the server does not answer.
    EXPECT_EQ(runCommand({QStringLiteral("--set"), QStringLiteral("speaker=30")}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return soundServerShown("no"); }, 20000))
        << "the outage never showed in the status";

    ASSERT_EQ(::kill(server, SIGCONT), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return soundServerShown("yes"); }, 20000))
        << "the outage stayed after the server answered again";
    QString status;
    EXPECT_EQ(runCommand({QStringLiteral("--status")}, &status), 0);
    EXPECT_TRUE(status.contains(QStringLiteral("\ndenoise=off\n"))) << qPrintable(status);
    EXPECT_TRUE(status.contains(QStringLiteral("\nspeaker=30\n"))) << qPrintable(status);
}

// A desktop with a tray: the panel shows its item there, and the item's
// menu (over com.canonical.dbusmenu, as the tray host drives it) sets the
// background option.
class PanelWithTrayTest : public PanelEndToEndTest {
protected:
    void prepareSession() override
    {
        host = bus.connect(QStringLiteral("tray-host"));
        ASSERT_TRUE(host.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(host.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    }

    void TearDown() override { QDBusConnection::disconnectFromBus(QStringLiteral("tray-host")); }

    QDBusMessage callMenu(const QString& method, const QVariantList& arguments)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(watcher.itemService(), QStringLiteral("/MenuBar"),
                                                           QStringLiteral("com.canonical.dbusmenu"), method);
        call.setArguments(arguments);
        QDBusPendingCall pending = host.asyncCall(call, 5000);
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 6000))
            return QDBusMessage::createError(QStringLiteral("org.freedesktop.DBus.Error.NoReply"), method);
        return pending.reply();
    }

    // The id of the item labelled `label` in a com.canonical.dbusmenu
    // layout (id, properties, children), or 0.
    static int menuItemId(const QDBusArgument& layout, const QString& label)
    {
        int id = 0;
        QVariantMap properties;
        layout.beginStructure();
        layout >> id >> properties;
        int found = properties.value(QStringLiteral("label")).toString() == label ? id : 0;
        layout.beginArray();
        while (!layout.atEnd()) {
            QDBusVariant child;
            layout >> child;
            if (found == 0)
                found = menuItemId(qvariant_cast<QDBusArgument>(child.variant()), label);
        }
        layout.endArray();
        layout.endStructure();
        return found;
    }

    StatusNotifierWatcher watcher;
    QDBusConnection host{QString()};
};

TEST_F(PanelWithTrayTest, TheTrayMenuTurnsOnKeepRunning)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher.itemService().isEmpty(); }, 20000))
        << "the panel put no item in the tray";

    // The menu's layout, as a tray host reads it.
    const QDBusMessage layout = callMenu(QStringLiteral("GetLayout"), {0, -1, QStringList()});
    ASSERT_EQ(layout.type(), QDBusMessage::ReplyMessage) << qPrintable(layout.errorMessage());
    const int keepRunning = menuItemId(qvariant_cast<QDBusArgument>(layout.arguments().value(1)),
                                       QStringLiteral("Keep running when the window is closed"));
    ASSERT_NE(keepRunning, 0) << "no \"Keep running when the window is closed\" in the tray menu";

    const QDBusMessage clicked = callMenu(QStringLiteral("Event"),
                                          {keepRunning, QStringLiteral("clicked"),
                                           QVariant::fromValue(QDBusVariant(0)), 0u});
    EXPECT_NE(clicked.type(), QDBusMessage::ErrorMessage) << qPrintable(clicked.errorMessage());
    const QString options = home.filePath(QStringLiteral("config/quorel-panel/options.conf"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QSettings(options, QSettings::IniFormat).value(QStringLiteral("keepRunning")).toBool(); }, 5000));
    terminatePanel();
}

// A hand-edited settings file whose "reverb" is text: the panel starts with
// the other twelve values. A change survives a kill two seconds later.
class EditedSettingsEndToEndTest : public PanelEndToEndTest {
protected:
    EditedSettingsEndToEndTest()
    {
        m_editedSettings = QString::fromUtf8(PropertyList::write(apptest::storedSettings(), false))
                               .replace(QStringLiteral("<key>reverb</key><integer>57</integer>"),
                                        QStringLiteral("<key>reverb</key><string>loud</string>"));
    }
};

TEST_F(EditedSettingsEndToEndTest, OneWrongValueKeepsTheOtherTwelveAndAKillKeepsAChange)
{
    ASSERT_TRUE(m_editedSettings.contains(QStringLiteral("<string>loud</string>")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 20000)) << "the panel never linked";
    QByteArray expected = apptest::storedFullRecord();
    expected[9] = 0; // reverb reads 0; everything else is as stored
    EXPECT_EQ(reports.first().toHex(' '), expected.toHex(' '));

    clickDenoise(env);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() >= 2; }, 5000)) << "the click sent nothing";
    QTest::qWait(2000);
    ::kill(static_cast<pid_t>(panel.processId()), SIGKILL);
    ASSERT_TRUE(panel.waitForFinished(5000));

    const std::optional<SettingsDictionary> stored = storedSettings();
    ASSERT_TRUE(stored.has_value());
    EXPECT_FALSE(stored->boolValue(SettingsKey::dehiss)) << "the change made two seconds before the kill";
    SettingsDictionary rest = apptest::storedSettings();
    for (const QString& key : SettingsKey::all()) {
        if (key != SettingsKey::dehiss && key != SettingsKey::reverb) {
            EXPECT_EQ(stored->integerValue(key), rest.integerValue(key)) << key.toStdString();
        }
    }
}

// The panel as a Wayland client, as in a GNOME or Plasma Wayland session: a
// headless Weston with qt6-wayland (skipped, saying why, only where Weston
// cannot start). Nothing can inject input into Weston from outside, so the
// transport is worked as a screen reader user works it, over AT-SPI, and
// the window is checked on Weston's own screenshot.
class PanelOnWaylandTest : public PanelEndToEndTest {
protected:
    void startDisplay() override
    {
        const QString why = weston.start(home.path(), QSize(1280, 900));
        if (!why.isEmpty())
            GTEST_SKIP() << "no Wayland end-to-end test here: " << qPrintable(why);
    }
    void addDisplay(QProcessEnvironment& environment) override
    {
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), weston.socket());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        environment.remove(QStringLiteral("QT_ACCESSIBILITY"));
        // A headless Weston has no keyboard, so no input device ever gets
        // focus, and Qt 6.4's Wayland input context then crashes drawing a
        // text cursor (the file panel's name field) as it asks the missing
        // device for its text input. A desktop session always has a
        // keyboard; here Qt's input context is left out.
        environment.insert(QStringLiteral("QT_IM_MODULE"), QStringLiteral("none"));
    }

    // Weston's screen, through its screenshooter (it names the file itself).
    bool saveWestonScreenshot(const QString& path)
    {
        QTemporaryDir folder;
        QProcess shooter;
        shooter.setProcessEnvironment(env);
        shooter.setWorkingDirectory(folder.path());
        shooter.setProcessChannelMode(QProcess::ForwardedChannels);
        shooter.start(QStringLiteral("weston-screenshooter"), {});
        if (!shooter.waitForFinished(30000) || shooter.exitCode() != 0)
            return false;
        const QStringList shots = QDir(folder.path()).entryList({QStringLiteral("*.png")});
        QFile::remove(path);
        return shots.size() == 1 && QFile::rename(folder.filePath(shots.first()), path);
    }

    QString transportState()
    {
        QProcess status;
        status.setProcessEnvironment(env);
        status.start(QStringLiteral(QUOREL_PANEL_BINARY), {QStringLiteral("--status")});
        if (!status.waitForFinished(15000))
            return {};
        const QString out = QString::fromUtf8(status.readAllStandardOutput());
        const qsizetype at = out.indexOf(QStringLiteral("transport="));
        return at < 0 ? QString() : out.mid(at + 10).section(QLatin1Char('\n'), 0, 0);
    }

    WestonDisplay weston;
};

// Mean difference of the colour channels over the pixels where `control`
// (rendered here at 100 %) is opaque, from the screenshot at `origin`.
double differenceAt(const QImage& shot, QPoint origin, const QImage& control)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < control.height(); ++y) {
        for (int x = 0; x < control.width(); ++x) {
            const QRgb mine = control.pixel(x, y);
            if (qAlpha(mine) != 255)
                continue;
            if (!shot.valid(origin + QPoint(x, y)))
                return 255.0;
            const QRgb theirs = shot.pixel(origin + QPoint(x, y));
            sum += std::abs(qRed(mine) - qRed(theirs)) + std::abs(qGreen(mine) - qGreen(theirs))
                + std::abs(qBlue(mine) - qBlue(theirs));
            ++count;
        }
    }
    return count > 100 ? sum / (3.0 * count) : 255.0;
}

QImage rendered(QWidget* control)
{
    QImage image(control->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    control->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Where the compositor placed `control` on the screen: the best match of
// its rendering, tried only where a few of its opaque pixels agree.
QPoint locate(const QImage& shot, const QImage& control)
{
    QList<QPoint> probes;
    for (int y = 0; y < control.height() && probes.size() < 8; y += 3) {
        for (int x = 0; x < control.width() && probes.size() < 8; x += 5) {
            if (qAlpha(control.pixel(x, y)) == 255)
                probes << QPoint(x, y);
        }
    }
    const auto close = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) < 24;
    };
    QPoint best(-1, -1);
    double bestDifference = 255.0;
    for (int y = 0; y + control.height() <= shot.height(); ++y) {
        for (int x = 0; x + control.width() <= shot.width(); ++x) {
            const bool agrees = std::all_of(probes.begin(), probes.end(), [&](QPoint p) {
                return close(control.pixel(p), shot.pixel(x + p.x(), y + p.y()));
            });
            if (!agrees)
                continue;
            const double difference = differenceAt(shot, QPoint(x, y), control);
            if (difference < bestDifference) {
                bestDifference = difference;
                best = QPoint(x, y);
            }
        }
    }
    return best;
}

TEST_F(PanelOnWaylandTest, LinksRecordsPlaysAndShowsItsSkinAtItsSize)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.isEmpty(); }, 30000)) << "the panel never linked";
    EXPECT_EQ(reports.first().toHex(' '), apptest::storedFullRecord().toHex(' ')) << "the link sends code 8";

    // The window in its skin at its size: the play button found on Weston's
    // screen, the reset button and the clock (which the layout moves when
    // the window's size differs) where the same window laid out here has
    // them, each drawn as here.
    const QString artifacts = QStringLiteral(QUOREL_ARTIFACT_DIR);
    QDir().mkpath(artifacts);
    const QString path = artifacts + QStringLiteral("/panel-linked-wayland.png");
    MainWindow layout;
    layout.show();
    const AppDelegateOutlets parts = layout.outlets();
    const QImage playButton = rendered(parts.playButton);
    // The record goes out as the link ends; the linked window reaches
    // Weston's screen with the panel's next frame, so the screen is read
    // until it shows.
    QImage shot;
    QPoint play(-1, -1);
    const bool shown = QTest::qWaitFor(
        [&] {
            if (!saveWestonScreenshot(path))
                return false;
            shot = QImage(path).convertToFormat(QImage::Format_RGB32);
            play = locate(shot, playButton);
            return play != QPoint(-1, -1);
        },
        20000);
    ASSERT_TRUE(shown) << "no play button on Weston's screen";
    const QPoint origin = play - parts.playButton->mapTo(&layout, QPoint(0, 0));
    for (QWidget* control : std::initializer_list<QWidget*>{parts.playButton, parts.resetButton, parts.timerText}) {
        const double difference = differenceAt(shot, origin + control->mapTo(&layout, QPoint(0, 0)), rendered(control));
        EXPECT_LT(difference, 3.0) << qPrintable(control->objectName()) << " is not where a " << layout.width() << "x"
                                   << layout.height() << " window has it, drawn as here";
    }

    // Weston draws no title bars, so under a Qt that would load EGL only to
    // draw its own the panel shows its own controls; a screen reader finds
    // and presses them (Weston lets a window be minimised but never hides
    // it, so the window stays to work).
    if (QLibraryInfo::version() < QVersionNumber(6, 5)) {
        ASSERT_EQ(runScreenReader(QStringLiteral(QUOREL_ATSPI_SCRIPT),
                                  {QStringLiteral("Minimise"), QStringLiteral("push button"), QStringLiteral("Press")}),
                  0);
    }

    // Record noise played into the device from its input, long enough to
    // hear it back.
    QProcess noise;
    noise.start(QStringLiteral("gst-launch-1.0"),
                {QStringLiteral("-q"), QStringLiteral("audiotestsrc"), QStringLiteral("wave=pink-noise"),
                 QStringLiteral("!"), QStringLiteral("audioconvert"), QStringLiteral("!"), QStringLiteral("pulsesink"),
                 QStringLiteral("device=quorel_sim_out")});
    const QString take = home.filePath(QStringLiteral("take.aac"));
    const QString transport = QStringLiteral(QUOREL_ATSPI_TRANSPORT_SCRIPT);
    ASSERT_EQ(runScreenReader(transport, {QStringLiteral("record"), take}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return transportState() == QLatin1String("recording"); }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(take).size() >= 48 * 1024; }, 60000))
        << "the recording does not grow: " << QFileInfo(take).size() << " bytes";
    ASSERT_EQ(runScreenReader(QStringLiteral(QUOREL_ATSPI_SCRIPT),
                              {QStringLiteral("Stop"), QStringLiteral("push button"), QStringLiteral("Press")}),
              0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return transportState() == QLatin1String("idle"); }, 20000));
    endHelperProcess(noise);

    // Play it back through the device, to its end (the panel's stream on
    // the device's sink comes and goes; the state stays "playing" there).
    const auto playbackStreams = [&] {
        QString streams;
        daemon.pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")}, &streams);
        return streams.trimmed();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return playbackStreams().isEmpty(); }, 20000)) << qPrintable(playbackStreams());
    ASSERT_EQ(runScreenReader(transport, {QStringLiteral("play"), take}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !playbackStreams().isEmpty(); }, 20000)) << "nothing played";
    EXPECT_EQ(transportState(), QStringLiteral("playing"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return playbackStreams().isEmpty(); }, 60000)) << "the playback never ended";

    terminatePanel();
    const QString log = QString::fromUtf8(panel.readAllStandardError());
    std::fputs(qPrintable(log), stderr);
    EXPECT_TRUE(log.contains(QStringLiteral("recording into \"") + take + QStringLiteral("\" finished")));
    EXPECT_FALSE(log.contains(QStringLiteral(" failed"))) << "no transport or link step failed";
}

} // namespace

#include "PanelEndToEndTest.moc"
