// The real program on a virtual X display, against a simulated device: a
// umockdev HID node (the panel inherits the testbed through the umockdev
// preload and UMOCKDEV_DIR) and its sink and source on a private sound
// server. The link wait is the product's five seconds.
#include "AppTestSupport.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"

#include "app/MainWindow.h"
#include "controls/CheckButton.h"
#include "settings/PropertyList.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// A virtual X display for the panel, ended with the test.
class VirtualDisplay {
public:
    bool start()
    {
        for (int number = 90 + getpid() % 300; number < 1000; number += 7) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
                continue;
            m_name = QStringLiteral(":%1").arg(number);
            m_process.start(QStringLiteral("Xvfb"), {m_name, QStringLiteral("-screen"), QStringLiteral("0"),
                                                     QStringLiteral("1280x900x24"), QStringLiteral("-nolisten"),
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
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    QString name() const { return m_name; }

private:
    QProcess m_process;
    QString m_name;
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
        ASSERT_TRUE(display.start());
        QObject::connect(&device, &SimulatedDevice::reportReceived,
                         [this](const QByteArray& record) { reports.append(record); });
        ASSERT_TRUE(device.plug());

        ASSERT_TRUE(home.isValid());
        settingsFile = home.filePath(QStringLiteral("config/quorel-panel/quorel-panel.conf"));
        QDir().mkpath(QFileInfo(settingsFile).path());
        ASSERT_TRUE(SettingsStore(settingsFile, QString()).save(apptest::storedSettings()));
        if (!m_editedSettings.isEmpty()) {
            QSettings(settingsFile, QSettings::IniFormat).setValue(QStringLiteral("plist"), m_editedSettings);
        }

        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display.name());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        panel.setProcessEnvironment(env);
        panel.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        panel.start(QStringLiteral(QUOREL_PANEL_BINARY), {});
        ASSERT_TRUE(panel.waitForStarted(5000));
    }

    void terminatePanel()
    {
        ::kill(static_cast<pid_t>(panel.processId()), SIGTERM);
        ASSERT_TRUE(panel.waitForFinished(15000));
        EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(panel.exitCode(), 0);
    }

    std::optional<SettingsDictionary> storedSettings() const
    {
        return SettingsStore(settingsFile, QString()).load();
    }

    PulseDaemon daemon{PulseDaemon::builtinScript()};
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

// Clicks the window's Denoise switch on the panel's display.
void clickDenoise(const QProcessEnvironment& env)
{
    // Where the switch sits in the window: the same window laid out here.
    MainWindow layout;
    layout.show();
    QWidget* denoise = layout.outlets().Denoise;
    ASSERT_NE(denoise, nullptr);
    const QPoint centre = denoise->mapTo(&layout, denoise->rect().center());
    const QString window = findMainWindow(env);
    ASSERT_FALSE(window.isEmpty());
    QProcess click;
    click.setProcessEnvironment(env);
    click.start(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(centre.x()),
                 QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(click.waitForFinished(5000));
    ASSERT_EQ(click.exitCode(), 0);
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

} // namespace
