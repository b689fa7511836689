// The real program on a virtual X display, against a simulated device: a
// umockdev HID node (the panel inherits the testbed through the umockdev
// preload and UMOCKDEV_DIR) and its sink and source on a private sound
// server. The link wait is the product's five seconds.
#include "AppTestSupport.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"

#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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

// Saves the main window, or the whole screen (with the sheet, a window of
// its own); the screen too when the window cannot be found.
bool saveScreenshot(const QProcessEnvironment& env, const QString& path, Capture what = Capture::MainWindow)
{
    QString window;
    if (what == Capture::MainWindow) {
        QProcess search;
        search.setProcessEnvironment(env);
        search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                                  QStringLiteral("^Quorel Panel$")});
        search.waitForFinished(5000);
        window = QString::fromUtf8(search.readAllStandardOutput()).split('\n').first().trimmed();
    }
    QProcess shot;
    shot.setProcessEnvironment(env);
    shot.start(QStringLiteral("import"), {QStringLiteral("-window"),
                                          window.isEmpty() ? QStringLiteral("root") : window, path});
    return shot.waitForFinished(20000) && shot.exitCode() == 0 && QFileInfo(path).size() > 0;
}

TEST(PanelEndToEndTest, LinksAfterTheWaitSendsOneFullRecordAndStoresOnSigterm)
{
    PulseDaemon daemon(apptest::builtinOnlyScript());
    ASSERT_TRUE(daemon.start());
    VirtualDisplay display;
    ASSERT_TRUE(display.start());

    SimulatedDevice device;
    ASSERT_TRUE(device.startSound());
    QList<QByteArray> reports;
    QObject::connect(&device, &SimulatedDevice::reportReceived,
                     [&](const QByteArray& record) { reports.append(record); });
    ASSERT_TRUE(device.plug());

    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString config = home.filePath(QStringLiteral("config"));
    const QString settingsFile = config + QStringLiteral("/quorel-panel/quorel-panel.conf");
    QDir().mkpath(QFileInfo(settingsFile).path());
    ASSERT_TRUE(SettingsStore(settingsFile, QString()).save(apptest::storedSettings()));

    // The testbed's environment (preload, UMOCKDEV_DIR, PULSE_SERVER) is
    // this process's; the panel gets it with its own display and home.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display.name());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    QProcess panel;
    panel.setProcessEnvironment(env);
    panel.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    panel.start(QStringLiteral(QUOREL_PANEL_BINARY), {});
    ASSERT_TRUE(panel.waitForStarted(5000));

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

    ::kill(static_cast<pid_t>(panel.processId()), SIGTERM);
    ASSERT_TRUE(panel.waitForFinished(15000));
    EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(panel.exitCode(), 0);

    // Every log line reaches stderr (and syslog) with its category.
    const QString log = QString::fromUtf8(panel.readAllStandardError());
    std::fputs(qPrintable(log), stderr);
    EXPECT_TRUE(log.contains(QStringLiteral("quorel-panel info quorel.app: device linked")));
    EXPECT_TRUE(log.contains(QStringLiteral("quorel.app.signals: received signal Terminated")));
    const std::optional<SettingsDictionary> stored = SettingsStore(settingsFile, QString()).load();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->integerValue(SettingsKey::stage1), 5) << "the shut-down stored the panel's values";
    EXPECT_EQ(reports.size(), 1) << "nothing is sent at shut-down";
}

} // namespace
