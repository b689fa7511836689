// Scenes over the session bus and the command line, end to end: the real
// panel (hidden, offscreen) with the simulated device on a private sound
// server (PulseAudio or PipeWire), a private session bus with logind stood
// in, and the real binary as the command line. A chat application is
// parecord recording from the device's source.
#include "MockLogind.h"
#include "PanelCommand.h"
#include "PrivateSessionBus.h"
#include "PropertiesWatcher.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"

#include "presets/FactoryPresets.h"
#include "session/PanelService.h"
#include "session/SceneMap.h"
#include "session/SessionInstance.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class SessionScenesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_daemon.start());
        ASSERT_TRUE(m_logind.start() && m_bus.start() && m_home.isValid());
        QObject::connect(&m_device, &SimulatedDevice::reportReceived,
                         [this](const QByteArray& record) { m_reports.append(record); });
        ASSERT_TRUE(m_device.plug());
        m_env = m_bus.environment();
        m_env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_logind.systemBusAddress());
        m_env.insert(QStringLiteral("HOME"), m_home.path());
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        m_panel.setProcessEnvironment(m_env);
        m_panel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_panel.start(QStringLiteral(QUOREL_PANEL_BINARY), {QStringLiteral("--hidden")});
        ASSERT_TRUE(m_panel.waitForStarted(5000));
        // Linked once the device has its full record.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_reports.isEmpty(); }, 20000)) << "the panel did not link";
        m_session = m_bus.connect(QStringLiteral("scenes-test"));
        ASSERT_TRUE(m_session.connect(SessionInstance::kBusName, PanelService::kObjectPath,
                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                      QStringLiteral("PropertiesChanged"), &m_watcher,
                                      SLOT(changed(QString, QVariantMap, QStringList))));
        registerSceneMap();
    }

    void TearDown() override
    {
        if (m_recording.state() != QProcess::NotRunning) {
            m_recording.kill();
            m_recording.waitForFinished();
        }
        if (m_panel.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(m_panel.processId()), SIGTERM);
            m_panel.waitForFinished(15000);
        }
    }

    PanelCommandResult run(const QStringList& arguments)
    {
        return runPanelCommand(QStringLiteral(QUOREL_PANEL_BINARY), arguments, m_env);
    }

    QDBusMessage call(const QString& method, const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(SessionInstance::kBusName, PanelService::kObjectPath,
                                                              PanelService::kInterface, method);
        message.setArguments(arguments);
        return m_session.call(message);
    }

    // The panel's status lines for the five stages, as --status gives them.
    QString stages()
    {
        const PanelCommandResult status = run({QStringLiteral("--status")});
        QStringList lines = status.out.split(QLatin1Char('\n'));
        lines.removeIf([](const QString& line) { return !line.startsWith(QLatin1String("stage")); });
        return lines.join(QLatin1Char(' '));
    }

    static QString stagesOf(const char* preset)
    {
        const PresetSound sound = FactoryPresets::find(QLatin1String(preset))->sound;
        QStringList lines;
        for (int n = 1; n <= 5; ++n)
            lines << QStringLiteral("stage%1=%2").arg(n).arg(sound.stages[static_cast<std::size_t>(n - 1)]);
        return lines.join(QLatin1Char(' '));
    }

    QString storedScenes() const
    {
        QFile file(m_home.filePath(QStringLiteral("config/quorel-panel/scenes")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    PulseDaemon m_daemon{PulseDaemon::builtinScript()};
    MockLogind m_logind;
    PrivateSessionBus m_bus;
    QTemporaryDir m_home;
    SimulatedDevice m_device;
    QList<QByteArray> m_reports;
    QProcessEnvironment m_env;
    QProcess m_panel;
    QProcess m_recording;
    QDBusConnection m_session{QString()};
    PropertiesWatcher m_watcher;
};

// Added from the command line, listed there and on the bus, in force while
// the application records (ActiveScene told), removed again; the refusals
// carry the presets' error names and the usage exit code.
TEST_F(SessionScenesTest, ScenesFromTheCommandLineAndTheBusFollowARecordingChatApp)
{
    const QString before = stages();
    ASSERT_NE(before, stagesOf("Voice"));

    const PanelCommandResult added = run({QStringLiteral("--add-scene"), QStringLiteral("Zoom=Voice")});
    ASSERT_EQ(added.exitCode, 0) << qPrintable(added.err);
    // The store is written on a thread of its own.
    EXPECT_TRUE(QTest::qWaitFor([&] { return storedScenes().contains(QStringLiteral("[Zoom]\npreset=Voice\n")); }, 5000))
        << qPrintable(storedScenes());
    const PanelCommandResult unknown = run({QStringLiteral("--add-scene"), QStringLiteral("Zoom=Nothing")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("there is no preset \"Nothing\""))) << qPrintable(unknown.err);
    const QDBusMessage badName = call(QStringLiteral("AddScene"), {QStringLiteral(" Zoom"), QStringLiteral("Voice")});
    EXPECT_EQ(badName.errorName(), QStringLiteral("com.quorel.panel.Error.InvalidName"));
    EXPECT_EQ(call(QStringLiteral("AddScene"), {QStringLiteral("Teams"), QStringLiteral("Gone")}).errorName(),
              QStringLiteral("com.quorel.panel.Error.UnknownPreset"));

    m_reports.clear();
    m_recording.start(QStringLiteral("parecord"),
                      {QStringLiteral("--raw"), QStringLiteral("--device=quorel_sim_in"),
                       QStringLiteral("--property=application.name=zoom"), QStringLiteral("/dev/null")});
    ASSERT_TRUE(m_recording.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_watcher.saw(QStringLiteral("ActiveScene"), QStringLiteral("Zoom")); },
                                10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_reports.isEmpty(); }, 5000));
    QTest::qWait(300);
    ASSERT_EQ(m_reports.size(), 1);
    EXPECT_EQ(m_reports.first().at(0), 8);
    EXPECT_EQ(stages(), stagesOf("Voice"));
    const PanelCommandResult listed = run({QStringLiteral("--scenes")});
    EXPECT_EQ(listed.exitCode, 0) << qPrintable(listed.err);
    EXPECT_EQ(listed.out, QStringLiteral("* Zoom=Voice\n"));
    const QDBusMessage scenes = call(QStringLiteral("Scenes"));
    ASSERT_EQ(scenes.type(), QDBusMessage::ReplyMessage) << qPrintable(scenes.errorMessage());
    EXPECT_EQ(qdbus_cast<SceneMap>(scenes.arguments().first()), (SceneMap{{QStringLiteral("Zoom"), QStringLiteral("Voice")}}));

    // Killed: parecord may sit on a SIGTERM for long on a loaded machine; its
    // stream ends with its connection either way.
    m_recording.kill();
    m_recording.waitForFinished();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_watcher.saw(QStringLiteral("ActiveScene"), QString()); }, 10000));
    EXPECT_EQ(stages(), before);

    EXPECT_EQ(run({QStringLiteral("--remove-scene"), QStringLiteral("zoom")}).exitCode, 0);
    EXPECT_EQ(run({QStringLiteral("--scenes")}).out, QString());
    const PanelCommandResult again = run({QStringLiteral("--remove-scene"), QStringLiteral("zoom")});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_EQ(call(QStringLiteral("RemoveScene"), {QStringLiteral("zoom")}).errorName(),
              QStringLiteral("com.quorel.panel.Error.UnknownScene"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !storedScenes().contains(QStringLiteral("[Zoom]")); }, 5000));
}

} // namespace
