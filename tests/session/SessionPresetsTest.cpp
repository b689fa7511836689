// Presets from scripts and the tray: the session interface and the real
// binary as the client on a private dbus-daemon, the tray's submenu, over
// the real preset controller and store. The panel's sound stands in for
// the model (which is tested with its records on its own): the port is
// this test's, so the device is not involved here.
#include "../presets/RecordingSoundTarget.h"
#include "PanelCommand.h"
#include "PrivateSessionBus.h"
#include "PropertiesWatcher.h"

#include "presets/FactoryPresets.h"
#include "presets/PresetController.h"
#include "presets/PresetFormat.h"
#include "presets/PresetStore.h"
#include "session/BackgroundMode.h"
#include "session/PanelPort.h"
#include "session/PanelService.h"
#include "session/SessionInstance.h"

#include <QAction>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// The running panel as far as presets go: linked, its settings refused
// (they are the other session test's) unless a test takes them, presets
// through the controller.
class PresetsPort final : public PanelPort {
public:
    PresetsPort(PresetController* presets)
        : m_presets(presets)
    {
        if (presets)
            connect(presets, &PresetController::stateChanged, this, &PanelPort::stateMayHaveChanged);
    }

    PanelState state() const override
    {
        PanelState s;
        s.linked = true;
        return s;
    }
    bool set(PanelSetting setting, int value, QString* why) override
    {
        if (takesSettings) {
            settings.append({setting, value});
            return true;
        }
        *why = QStringLiteral("not in this test");
        return false;
    }
    void showWindow() override {}
    QStringList presets() const override { return m_presets ? m_presets->names() : QStringList(); }
    QString activePreset() const override { return m_presets ? m_presets->active() : QString(); }
    bool activePresetModified() const override { return m_presets && m_presets->modified(); }
    bool applyPreset(const QString& name, QString* why) override
    {
        *why = QStringLiteral("the panel's presets are not available yet");
        return m_presets && m_presets->apply(name, why);
    }
    bool savePreset(const QString& name, QString* why) override
    {
        *why = QStringLiteral("the panel's presets are not available yet");
        return m_presets && m_presets->saveCurrent(name, why);
    }

    bool takesSettings = false;
    QList<std::pair<PanelSetting, int>> settings;

private:
    PresetController* m_presets;
};

using CommandResult = PanelCommandResult;

class SessionPresetsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bus.start());
        m_connection = m_bus.connect(QStringLiteral("presets-panel"));
        ASSERT_TRUE(m_connection.isConnected());
    }

    void TearDown() override
    {
        m_background.reset();
        m_service.reset();
        m_port.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("presets-panel"));
    }

    // The panel's session side as main() puts it together.
    void launch(PresetController* presets)
    {
        m_port = std::make_unique<PresetsPort>(presets);
        m_service = std::make_unique<PanelService>();
        ASSERT_TRUE(m_service->registerOn(m_connection));
        m_service->setPort(m_port.get());
        ASSERT_EQ(SessionInstance(m_connection).claim(), SessionInstance::Claim::Claimed);
        BackgroundMode::Config config;
        config.optionsFile = m_dir.filePath(QStringLiteral("options.conf"));
        config.autostart = Autostart(m_dir.filePath(QStringLiteral("config")));
        config.program = QStringLiteral("quorel-panel");
        config.quit = [] {};
        m_background = std::make_unique<BackgroundMode>(&m_window, *m_port, config);
    }

    // The real binary with these arguments, while this process answers it.
    CommandResult run(const QStringList& arguments)
    {
        QProcessEnvironment env = m_bus.environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("client-config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        return runPanelCommand(QStringLiteral(QUOREL_PANEL_BINARY), arguments, env);
    }

    QStringList submenuTexts() const
    {
        QStringList texts;
        for (const QAction* action : m_background->presetsMenu()->actions())
            texts << (action->isChecked() ? QStringLiteral("* ") : QString()) + action->text();
        return texts;
    }

    QTemporaryDir m_dir;
    PrivateSessionBus m_bus;
    QDBusConnection m_connection{QString()};
    QWidget m_window;
    RecordingSoundTarget m_target;
    PresetStore m_store{m_dir.filePath(QStringLiteral("config/quorel-panel/presets"))};
    PresetController m_controller{m_target, m_store};
    std::unique_ptr<PresetsPort> m_port;
    std::unique_ptr<PanelService> m_service;
    std::unique_ptr<BackgroundMode> m_background;
};

QString factoryList(const QString& active = QString())
{
    QString text;
    for (const Preset& preset : FactoryPresets::all())
        text += (preset.name == active ? QStringLiteral("* ") : QStringLiteral("  ")) + preset.name + '\n';
    return text;
}

} // namespace

TEST_F(SessionPresetsTest, ScriptsListApplyAndSavePresetsAndTheListMarksTheActiveOne)
{
    launch(&m_controller);
    CommandResult r = run({QStringLiteral("--presets")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, factoryList());

    r = run({QStringLiteral("--preset"), QStringLiteral("Voice"), QStringLiteral("--presets")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, factoryList(QStringLiteral("Voice")));
    EXPECT_EQ(m_target.applied, QList<PresetSound>{FactoryPresets::find(QStringLiteral("Voice"))->sound})
        << "one change carrying the whole sound";

    m_target.toggleDenoise();
    r = run({QStringLiteral("--presets")});
    EXPECT_TRUE(r.out.contains(QStringLiteral("\n* Voice (modified)\n"))) << qPrintable(r.out);

    r = run({QStringLiteral("--save-preset"), QStringLiteral("Voice, no denoise"), QStringLiteral("--presets")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("  Voice\n  Podcast\n  Music\n* Voice, no denoise\n"))) << qPrintable(r.out);
    m_store.waitForFiles();
    QFile stored(m_store.file());
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_TRUE(stored.readAll().contains("\n[Voice, no denoise]\n"));
    EXPECT_EQ(m_target.applied.size(), 1) << "saving sends nothing";
}

TEST_F(SessionPresetsTest, UnknownAndRefusedNamesFailWithTheirExitCodesAndChangeNothing)
{
    launch(&m_controller);
    CommandResult r = run({QStringLiteral("--preset"), QStringLiteral("Nope")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("there is no preset \"Nope\"; the presets are Flat, Voice")))
        << qPrintable(r.err);
    r = run({QStringLiteral("--save-preset"), QStringLiteral("flat")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("factory preset"))) << qPrintable(r.err);
    EXPECT_TRUE(m_target.applied.isEmpty());
    EXPECT_EQ(m_store.names(), m_controller.names());
    EXPECT_EQ(m_store.names().size(), FactoryPresets::all().size());

    // A refusal from the panel itself.
    m_target.refusal = QStringLiteral("the panel is busy");
    r = run({QStringLiteral("--preset"), QStringLiteral("Music")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("the panel is busy"))) << qPrintable(r.err);
}

// A command line of several changes is checked whole: one that would fail
// at its last step changes nothing at all.
TEST_F(SessionPresetsTest, ACombinedRequestThatWouldFailChangesNothing)
{
    launch(&m_controller);
    m_port->takesSettings = true;
    const struct {
        QStringList arguments;
        const char* says;
    } refused[] = {
        {{QStringLiteral("--set"), QStringLiteral("reverb=10"), QStringLiteral("--save-preset"), QStringLiteral("Flat")},
         "factory preset"},
        {{QStringLiteral("--preset"), QStringLiteral("Voice"), QStringLiteral("--set"), QStringLiteral("reverb=11"),
          QStringLiteral("--save-preset"), QStringLiteral("[bad")},
         "cannot start with \"[\""},
        {{QStringLiteral("--preset"), QStringLiteral("Nope"), QStringLiteral("--toggle"), QStringLiteral("denoise")},
         "there is no preset \"Nope\""},
    };
    for (const auto& request : refused) {
        const CommandResult r = run(request.arguments);
        EXPECT_EQ(r.exitCode, 2) << qPrintable(request.arguments.join(' '));
        EXPECT_TRUE(r.err.contains(QLatin1String(request.says))) << qPrintable(r.err);
    }
    EXPECT_TRUE(m_port->settings.isEmpty());
    EXPECT_TRUE(m_target.applied.isEmpty());
    EXPECT_TRUE(m_controller.active().isEmpty());
    EXPECT_EQ(m_store.names().size(), FactoryPresets::all().size());

    const CommandResult r = run({QStringLiteral("--preset"), QStringLiteral("Voice"), QStringLiteral("--set"),
                                 QStringLiteral("reverb=11"), QStringLiteral("--save-preset"), QStringLiteral("Mine")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(m_port->settings, (QList<std::pair<PanelSetting, int>>{{PanelSetting::Reverb, 11}}));
    EXPECT_EQ(m_controller.active(), QStringLiteral("Mine"));
}

TEST_F(SessionPresetsTest, APanelWithoutPresetsYetSaysSo)
{
    launch(nullptr);
    for (const QStringList& arguments : {QStringList{QStringLiteral("--preset"), QStringLiteral("Flat")},
                                         QStringList{QStringLiteral("--presets")}}) {
        const CommandResult r = run(arguments);
        EXPECT_EQ(r.exitCode, 1) << qPrintable(arguments.join(' '));
        EXPECT_TRUE(r.err.contains(QStringLiteral("not available yet"))) << qPrintable(r.err);
    }
    EXPECT_FALSE(m_background->presetsMenu()->menuAction()->isEnabled());
}

TEST_F(SessionPresetsTest, BusClientsHearOfTheActivePresetAndTheTraySubmenuFollowsAndApplies)
{
    launch(&m_controller);
    PropertiesWatcher watcher;
    QDBusConnection client = m_bus.connect(QStringLiteral("presets-client"));
    ASSERT_TRUE(client.connect(SessionInstance::kBusName, PanelService::kObjectPath,
                               QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                               &watcher, SLOT(changed(QString, QVariantMap, QStringList))));

    EXPECT_EQ(submenuTexts(), factoryList().trimmed().split('\n').replaceInStrings(QStringLiteral("  "), QString()));
    QAction* music = m_background->presetsMenu()->actions().at(3);
    ASSERT_EQ(music->text(), QStringLiteral("Music"));
    music->trigger();
    EXPECT_EQ(m_target.applied, QList<PresetSound>{FactoryPresets::find(QStringLiteral("Music"))->sound});
    ASSERT_TRUE(QTest::qWaitFor([&] { return submenuTexts().contains(QStringLiteral("* Music")); }, 5000))
        << qPrintable(submenuTexts().join(' '));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.saw(QStringLiteral("ActivePreset"), QStringLiteral("Music")); }, 5000));
    m_target.drag(1, {9});
    ASSERT_TRUE(QTest::qWaitFor([&] { return submenuTexts().contains(QStringLiteral("* Music (modified)")); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.saw(QStringLiteral("PresetModified"), true); }, 5000));

    // A preset saved from the bus shows in the list property and the submenu.
    QDBusMessage save = QDBusMessage::createMethodCall(SessionInstance::kBusName, PanelService::kObjectPath,
                                                       PanelService::kInterface, QStringLiteral("SavePreset"));
    save << QStringLiteral("Music, brighter");
    QDBusPendingCall pending = client.asyncCall(save);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 5000));
    EXPECT_FALSE(pending.isError()) << qPrintable(pending.error().message());
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return std::any_of(watcher.changes.cbegin(), watcher.changes.cend(), [](const QVariantMap& change) {
            return change.value(QStringLiteral("Presets")).toStringList().contains(QStringLiteral("Music, brighter"));
        });
    }, 5000));
    EXPECT_TRUE(submenuTexts().contains(QStringLiteral("* Music, brighter")));
    QDBusConnection::disconnectFromBus(QStringLiteral("presets-client"));
}

TEST_F(SessionPresetsTest, SavePresetOnAFullStoreFailsAndARefusedNameIsAnInvalidName)
{
    QList<Preset> full;
    for (int i = 0; i < PresetStore::MaxUserPresets; ++i)
        full.append({QStringLiteral("P%1").arg(i), PresetSound{}, false});
    ASSERT_TRUE(QDir().mkpath(QFileInfo(m_store.file()).path()));
    QFile file(m_store.file());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(PresetFormat::writeStore(full, QString())) > 0);
    file.close();
    m_store.load();
    launch(&m_controller);
    QDBusConnection client = m_bus.connect(QStringLiteral("presets-client"));
    const std::tuple<QString, QString, QString> refused[] = {
        {QStringLiteral("[bad"), PanelService::kInvalidNameError, QStringLiteral("cannot start with")},
        {QStringLiteral("One more"), PanelService::kFailedError, QStringLiteral("already 200 presets")}};
    for (const auto& [name, error, says] : refused) {
        QDBusMessage call = QDBusMessage::createMethodCall(SessionInstance::kBusName, PanelService::kObjectPath,
                                                           PanelService::kInterface, QStringLiteral("SavePreset"));
        call << name;
        QDBusPendingCall pending = client.asyncCall(call);
        ASSERT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 5000));
        EXPECT_EQ(pending.error().name(), error) << qPrintable(name);
        EXPECT_TRUE(pending.error().message().contains(says)) << qPrintable(pending.error().message());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("presets-client"));
}
