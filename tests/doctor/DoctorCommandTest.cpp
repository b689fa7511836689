// `quorel-panel --doctor [--json]`, the real binary: on a set-up where the
// panel can work it passes and exits 0 and changes nothing; with the device
// away, no sound server, GStreamer without the AAC encoder, a settings file
// the user may not read and a second panel in the session, it names each
// cause and fix and exits 1. The JSON is checked against its documented
// keys. Runs under umockdev-wrapper; the testbed reaches the child through
// the preload it inherits.
#include <QDBusConnectionInterface>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PanelCommand.h"
#include "PrivateSessionBus.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"

namespace {

// The child's exit code when it may not make the mount namespace the
// healthy run needs.
constexpr int kNoNamespace = 77;

using Result = PanelCommandResult;

// Runs the binary while this process's loop keeps answering the testbed.
Result runPanel(const QStringList& arguments, const QProcessEnvironment& env,
                const std::function<void()>& childSetUp = {})
{
    return runPanelCommand(QStringLiteral(QUOREL_PANEL_BINARY), arguments, env, std::chrono::seconds(60), childSetUp);
}

QSet<QString> keySet(const QJsonObject& object)
{
    const QStringList keys = object.keys();
    return QSet<QString>(keys.begin(), keys.end());
}

// The report's documented shape; the checks by id.
QMap<QString, QJsonObject> validatedChecks(const QString& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject root = document.object();
    EXPECT_EQ(keySet(root), (QSet<QString>{QStringLiteral("program"), QStringLiteral("version"),
                                           QStringLiteral("passed"), QStringLiteral("checks")}));
    EXPECT_EQ(root.value(QStringLiteral("program")).toString(), QStringLiteral("quorel-panel"));
    EXPECT_FALSE(root.value(QStringLiteral("version")).toString().isEmpty());
    EXPECT_TRUE(root.value(QStringLiteral("passed")).isBool());
    const QSet<QString> keys{QStringLiteral("id"),     QStringLiteral("title"), QStringLiteral("status"),
                             QStringLiteral("detail"), QStringLiteral("cause"), QStringLiteral("fix")};
    const QSet<QString> statuses{QStringLiteral("pass"), QStringLiteral("warn"), QStringLiteral("fail"),
                                 QStringLiteral("skip")};
    QMap<QString, QJsonObject> checks;
    bool anyFailed = false;
    for (const QJsonValue& value : root.value(QStringLiteral("checks")).toArray()) {
        const QJsonObject check = value.toObject();
        EXPECT_EQ(keySet(check), keys);
        for (const QString& key : keys)
            EXPECT_TRUE(check.value(key).isString()) << key.toStdString();
        const QString status = check.value(QStringLiteral("status")).toString();
        EXPECT_TRUE(statuses.contains(status)) << status.toStdString();
        if (status == QStringLiteral("fail") || status == QStringLiteral("warn")) {
            EXPECT_FALSE(check.value(QStringLiteral("cause")).toString().isEmpty());
            EXPECT_FALSE(check.value(QStringLiteral("fix")).toString().isEmpty());
        }
        anyFailed = anyFailed || status == QStringLiteral("fail");
        const QString id = check.value(QStringLiteral("id")).toString();
        EXPECT_FALSE(checks.contains(id)) << "twice: " << id.toStdString();
        checks.insert(id, check);
    }
    EXPECT_EQ(root.value(QStringLiteral("passed")).toBool(), !anyFailed);
    EXPECT_GE(checks.size(), 19);
    return checks;
}

QString status(const QMap<QString, QJsonObject>& checks, const QString& id)
{
    return checks.value(id).value(QStringLiteral("status")).toString();
}

QString causeAndFix(const QMap<QString, QJsonObject>& checks, const QString& id)
{
    const QJsonObject check = checks.value(id);
    return check.value(QStringLiteral("cause")).toString() + QStringLiteral(" | ")
           + check.value(QStringLiteral("fix")).toString();
}

class DoctorCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(bus.start());
        env = bus.environment();
        // No display: the doctor must not start a GUI (xcb would abort).
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("config"))));
    }

    QTemporaryDir home;
    PrivateSessionBus bus;
    QProcessEnvironment env;
};

} // namespace

// With the rule, and without it where the node is writable all the same
// (a source build run by a user in the node's group): the panel works, so
// the doctor passes, the missing rule only a warning.
class WorkingSetUpTest : public DoctorCommandTest, public ::testing::WithParamInterface<bool> {};

INSTANTIATE_TEST_SUITE_P(Rule, WorkingSetUpTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& rule) {
                             return std::string(rule.param ? "Installed" : "Missing");
                         });

TEST_P(WorkingSetUpTest, ASetUpWhereThePanelCanWorkPassesExitsZeroAndIsLeftAsItWas)
{
    const bool ruleInstalled = GetParam();
    PulseDaemon daemon(PulseDaemon::builtinScript());
    ASSERT_TRUE(daemon.start());
    SimulatedDevice device;
    ASSERT_TRUE(device.plug());
    QList<QByteArray> reports;
    QObject::connect(&device, &SimulatedDevice::reportReceived,
                     [&](const QByteArray& record) { reports.append(record); });
    // Where the panel has linked: the device is the default.
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-sink"), QStringLiteral("quorel_sim_out")}), 0);
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-source"), QStringLiteral("quorel_sim_in")}), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QString sink;
            QString source;
            daemon.pactl({QStringLiteral("get-default-sink")}, &sink);
            daemon.pactl({QStringLiteral("get-default-source")}, &source);
            return sink.trimmed() == QStringLiteral("quorel_sim_out")
                   && source.trimmed() == QStringLiteral("quorel_sim_in");
        },
        10000));
    // The testbed's folder was named to this process when it was made.
    env.insert(QStringLiteral("UMOCKDEV_DIR"), qEnvironmentVariable("UMOCKDEV_DIR"));
    env.insert(QStringLiteral("PULSE_SERVER"), daemon.server());
    env.insert(QStringLiteral("PIPEWIRE_REMOTE"), daemon.directory() + QStringLiteral("/pipewire-0"));

    // udev's folders hold the rule or nothing, in a mount namespace of the
    // child's own: the machine's folders are not touched.
    QTemporaryDir rules;
    if (ruleInstalled) {
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(QUOREL_UDEV_RULE), rules.filePath(QStringLiteral("70-quorel-panel.rules"))));
    }
    const QByteArray rulesDir = QFile::encodeName(rules.path());
    const auto withRule = [rulesDir] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount(rulesDir.constData(), "/usr/lib/udev/rules.d", nullptr, MS_BIND, nullptr) != 0)
            ::_exit(kNoNamespace);
        for (const char* dir : {"/etc/udev/rules.d", "/run/udev/rules.d", "/lib/udev/rules.d"}) {
            if (::access(dir, F_OK) == 0 && ::mount(rulesDir.constData(), dir, nullptr, MS_BIND, nullptr) != 0)
                ::_exit(kNoNamespace);
        }
    };

    const QStringList before = QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const Result json = runPanel({QStringLiteral("--doctor"), QStringLiteral("--json")}, env, withRule);
    if (json.exitCode == kNoNamespace)
        GTEST_SKIP() << "no mount namespace for the rule on this machine";
    const QMap<QString, QJsonObject> checks = validatedChecks(json.out);
    for (const QJsonObject& check : checks) {
        const QString id = check.value(QStringLiteral("id")).toString();
        // PulseAudio has no session manager to ask.
        const bool mayBeSkipped = id == QStringLiteral("sound.configured-default")
                                  && daemon.kind() == PulseDaemon::Kind::PulseAudio;
        EXPECT_TRUE(status(checks, id) == QStringLiteral("pass") || status(checks, id) == QStringLiteral("warn")
                    || (mayBeSkipped && status(checks, id) == QStringLiteral("skip")))
            << id.toStdString() << ": " << status(checks, id).toStdString() << " "
            << causeAndFix(checks, id).toStdString() << check.value(QStringLiteral("detail")).toString().toStdString();
    }
    EXPECT_EQ(json.exitCode, 0) << qPrintable(json.err);
    EXPECT_EQ(checks.value(QStringLiteral("device.node")).value(QStringLiteral("detail")).toString(),
              device.hidrawNode());
    EXPECT_EQ(status(checks, QStringLiteral("device.rule")), ruleInstalled ? QStringLiteral("pass") : QStringLiteral("warn"))
        << causeAndFix(checks, QStringLiteral("device.rule")).toStdString();
    // Nothing was written to the device, nor any settings made (libpulse
    // keeps its cookie in the configuration folder, as for any client).
    QTest::qWait(100);
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("config/quorel-panel"))));

    const Result text = runPanel({QStringLiteral("--doctor")}, env, withRule);
    EXPECT_EQ(text.exitCode, 0) << qPrintable(text.out);
    const QStringList lines = text.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), checks.size() + 1) << qPrintable(text.out);
    EXPECT_EQ(lines.last(), QStringLiteral("All checks passed."));
    EXPECT_EQ(text.out.contains(QStringLiteral("WARN  udev rule installed: 70-quorel-panel.rules is in none")),
              !ruleInstalled)
        << qPrintable(text.out);
}

TEST_F(DoctorCommandTest, EachFaultIsNamedWithItsCauseAndFixAndTheExitIsOne)
{
    // No device: the testbed is empty, whatever this machine has plugged in.
    SimulatedDevice unplugged;
    env.insert(QStringLiteral("UMOCKDEV_DIR"), qEnvironmentVariable("UMOCKDEV_DIR"));
    // No sound server at its address.
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:%1/no-server").arg(home.path()));

    // GStreamer with everything the panel needs but the libav plugin.
    QTemporaryDir plugins;
    for (const char* plugin :
         {"libgstcoreelements.so", "libgstpulseaudio.so", "libgstaudioparsers.so", "libgstplayback.so"})
        ASSERT_TRUE(QFile::link(QStringLiteral(QUOREL_GST_PLUGIN_DIR "/") + QLatin1String(plugin),
                                plugins.filePath(QLatin1String(plugin))));
    env.insert(QStringLiteral("GST_PLUGIN_SYSTEM_PATH_1_0"), plugins.path());
    env.insert(QStringLiteral("GST_PLUGIN_PATH_1_0"), plugins.path());
    env.insert(QStringLiteral("GST_REGISTRY_1_0"), plugins.filePath(QStringLiteral("registry.bin")));

    // A settings file the user may not read.
    const QString settings = home.filePath(QStringLiteral("config/quorel-panel/quorel-panel.conf"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).path()));
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(file.setPermissions({}));
    // Root's override goes from the child's bounding set, so it is refused
    // as any user would be.
    const auto asUser = [] {
        ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
        ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
    };

    // A panel already running in the session, in the background.
    QProcessEnvironment panelEnv = env;
    panelEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    panelEnv.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("first-panel")));
    QProcess first;
    first.setProcessEnvironment(panelEnv);
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(QStringLiteral(QUOREL_PANEL_BINARY), {QStringLiteral("--hidden")});
    ASSERT_TRUE(first.waitForStarted(5000));
    QDBusConnection connection = bus.connect(QStringLiteral("test"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return connection.interface()->isServiceRegistered(QStringLiteral("com.quorel.panel")).value(); },
        30000));

    const Result json = runPanel({QStringLiteral("--doctor"), QStringLiteral("--json")}, env, asUser);
    EXPECT_EQ(json.exitCode, 1) << qPrintable(json.err);
    const QMap<QString, QJsonObject> checks = validatedChecks(json.out);

    EXPECT_EQ(status(checks, QStringLiteral("device.usb")), QStringLiteral("fail"));
    EXPECT_TRUE(causeAndFix(checks, QStringLiteral("device.usb")).contains(QStringLiteral("Plug the device in")));
    EXPECT_EQ(status(checks, QStringLiteral("sound.server")), QStringLiteral("fail"));
    EXPECT_TRUE(
        causeAndFix(checks, QStringLiteral("sound.server")).contains(home.filePath(QStringLiteral("no-server"))));
    EXPECT_EQ(status(checks, QStringLiteral("sound.output")), QStringLiteral("skip"));
    EXPECT_EQ(status(checks, QStringLiteral("gstreamer.avenc_aac")), QStringLiteral("fail"));
    EXPECT_TRUE(causeAndFix(checks, QStringLiteral("gstreamer.avenc_aac"))
                    .contains(QStringLiteral("apt-get install gstreamer1.0-libav")));
    for (const char* present : {"gstreamer.pulsesrc", "gstreamer.aacparse", "gstreamer.playbin"})
        EXPECT_EQ(status(checks, QLatin1String(present)), QStringLiteral("pass")) << present;
    EXPECT_EQ(status(checks, QStringLiteral("settings.file")), QStringLiteral("fail"));
    EXPECT_TRUE(causeAndFix(checks, QStringLiteral("settings.file")).contains(settings));
    EXPECT_EQ(status(checks, QStringLiteral("session.panel")), QStringLiteral("warn"));
    EXPECT_TRUE(causeAndFix(checks, QStringLiteral("session.panel"))
                    .contains(QStringLiteral("process %1").arg(first.processId())))
        << causeAndFix(checks, QStringLiteral("session.panel")).toStdString();

    // The text names the same, one line a check and a count.
    const Result text = runPanel({QStringLiteral("--doctor")}, env, asUser);
    EXPECT_EQ(text.exitCode, 1);
    const QStringList lines = text.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), checks.size() + 1) << qPrintable(text.out);
    EXPECT_TRUE(
        lines.contains(QStringLiteral("FAIL  GStreamer element avenc_aac (encodes recordings as AAC): GStreamer "
                                      "has no element avenc_aac. Install it with 'sudo apt-get install "
                                      "gstreamer1.0-libav'.")))
        << qPrintable(text.out);
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("checks failed."))) << qPrintable(lines.last());

    first.terminate();
    EXPECT_TRUE(first.waitForFinished(15000));
}

namespace {

// Every entry under `folder`, hidden ones too, with its kind.
QStringList entriesBelow(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        entries << it.filePath() + (it.fileInfo().isDir() ? QStringLiteral("/") : QString());
    }
    entries.sort();
    return entries;
}

} // namespace

// A FIFO at the settings path held the doctor for good; a run leaves the
// home folder as it was (GStreamer's registry went to ~/.cache).
TEST_F(DoctorCommandTest, AFifoForTheSettingsFailsAndTheRunLeavesTheHomeAsItWas)
{
    SimulatedDevice unplugged;
    env.insert(QStringLiteral("UMOCKDEV_DIR"), qEnvironmentVariable("UMOCKDEV_DIR"));
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:%1/no-server").arg(home.path()));
    env.remove(QStringLiteral("XDG_CACHE_HOME"));
    for (const char* name : {"GST_REGISTRY", "GST_REGISTRY_1_0"})
        env.remove(QLatin1String(name));
    const QString settings = home.filePath(QStringLiteral("config/quorel-panel/quorel-panel.conf"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(settings).constData(), 0600), 0);
    const QStringList before = entriesBelow(home.path());

    const Result json = runPanel({QStringLiteral("--doctor"), QStringLiteral("--json")}, env);
    ASSERT_EQ(json.exitCode, 1) << "held by the FIFO (-1: ended after a minute)";
    const QMap<QString, QJsonObject> checks = validatedChecks(json.out);
    EXPECT_EQ(status(checks, QStringLiteral("settings.file")), QStringLiteral("fail"));
    EXPECT_TRUE(causeAndFix(checks, QStringLiteral("settings.file")).contains(QStringLiteral("not a regular file")))
        << causeAndFix(checks, QStringLiteral("settings.file")).toStdString();
    QStringList after = entriesBelow(home.path());
    // libpulse keeps its cookie in the configuration folder, as for any client.
    after.removeIf([&](const QString& entry) { return entry.startsWith(home.filePath(QStringLiteral("config/pulse"))); });
    EXPECT_EQ(after, before);
}

// The JSON is English in a German session, the system's own error texts too.
TEST_F(DoctorCommandTest, TheJsonIsEnglishInAGermanSession)
{
    QTemporaryDir locales;
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"),
                    {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                     locales.filePath(QStringLiteral("de_DE.UTF-8"))});
    if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0)
        GTEST_SKIP() << "localedef cannot make a German locale here";
    SimulatedDevice unplugged;
    env.insert(QStringLiteral("UMOCKDEV_DIR"), qEnvironmentVariable("UMOCKDEV_DIR"));
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:%1/no-server").arg(home.path()));
    env.insert(QStringLiteral("LOCPATH"), locales.path());
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
    // A file where the settings folder belongs: the system says "Not a
    // directory", in German where it may.
    QFile blocker(home.filePath(QStringLiteral("config/quorel-panel")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const Result text = runPanel({QStringLiteral("--doctor")}, env);
    ASSERT_TRUE(text.out.contains(QStringLiteral("Ist kein Verzeichnis"))) << "a German session" << qPrintable(text.out);
    const Result json = runPanel({QStringLiteral("--doctor"), QStringLiteral("--json")}, env);
    EXPECT_EQ(json.exitCode, 1);
    validatedChecks(json.out);
    EXPECT_TRUE(json.out.contains(QStringLiteral("Not a directory"))) << qPrintable(json.out);
    for (const char* german : {"Ist kein Verzeichnis", "Verbindung", "Zugriff", "Datei"})
        EXPECT_FALSE(json.out.contains(QLatin1String(german))) << german << qPrintable(json.out);
}
