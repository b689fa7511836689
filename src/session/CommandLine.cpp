#include "session/CommandLine.h"

#include "presets/FactoryPresets.h"
#include "presets/PresetStore.h"
#include "session/PanelService.h"
#include "session/SessionInstance.h"
#include "controlinterface.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QTextStream>

#include <algorithm>

namespace {

// A script waits this long for the running panel before giving up.
constexpr int kCallTimeoutMs = 5000;

const QString kProgram = QStringLiteral("quorel-panel");

CommandLineRequest exitWith(int code, const QString& text)
{
    CommandLineRequest request;
    request.mode = CommandLineRequest::Mode::Exit;
    request.exitCode = code;
    request.text = text;
    return request;
}

CommandLineRequest usageError(const QString& what)
{
    return exitWith(ExitCode::Usage,
                    QCoreApplication::translate("CommandLine", "%1: %2\nTry '%1 --help'.\n").arg(kProgram, what));
}

QString keysHelp()
{
    return QCoreApplication::translate(
        "CommandLine",
        "Keys: speaker, mic (0 to 100), stage1 .. stage5 (-15 to 15), reverb (0 to 100),\n"
        "monitor, denoise, mixer (on or off).\n"
        "\n"
        "--status, --set, --toggle and the preset and scene options talk to the panel\n"
        "running in this session and exit with 0 on success, 1 when the panel answered\n"
        "with an error, 2 for a wrong key, value, preset or scene, 3 when no panel runs, 4 when\n"
        "the device is not linked (--status prints the state either way and exits 0\n"
        "only when linked).");
}

// The usage line names the program as users type it, whatever started it.
QString helpText(const QCommandLineParser& parser)
{
    const QString text = parser.helpText();
    return QCoreApplication::translate("CommandLine", "Usage: %1 [options] [key=value ...]").arg(kProgram) + text.mid(text.indexOf('\n'));
}

} // namespace

CommandLineRequest parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("CommandLine",
                                    "Control panel for the Quorel IIS Audio. Without options it starts the panel\n"
                                    "(or brings the running one to the front).\n\n")
        + keysHelp());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption hidden(QStringLiteral("hidden"),
                                    QCoreApplication::translate("CommandLine", "Start in the background, without showing the window."));
    const QCommandLineOption status(QStringLiteral("status"),
                                    QCoreApplication::translate("CommandLine", "Print the running panel's state, one key=value a line."));
    const QCommandLineOption set(QStringLiteral("set"),
                                 QCoreApplication::translate("CommandLine", "Set each key=value given as an argument (e.g. denoise=on stage3=-4)."));
    const QCommandLineOption toggle(QStringLiteral("toggle"),
                                    QCoreApplication::translate("CommandLine", "Switch monitor, denoise or mixer over (may be repeated)."),
                                    QStringLiteral("key"));
    const QCommandLineOption doctor(QStringLiteral("doctor"),
                                    QCoreApplication::translate("CommandLine", "Check the set-up (device, udev rule, sound server, GStreamer, "
                                                   "settings, session), one line a check; exit 0 when none "
                                                   "fails, else 1."));
    const QCommandLineOption json(QStringLiteral("json"), QCoreApplication::translate("CommandLine", "With --doctor: print the report as JSON."));
    const QCommandLineOption presets(QStringLiteral("presets"),
                                     QCoreApplication::translate("CommandLine", "List the presets, one a line, the active one marked with *."));
    const QCommandLineOption preset(QStringLiteral("preset"), QCoreApplication::translate("CommandLine", "Apply the preset <name>."),
                                    QStringLiteral("name"));
    const QCommandLineOption savePreset(QStringLiteral("save-preset"),
                                        QCoreApplication::translate("CommandLine", "Save the current sound as the preset <name>."),
                                        QStringLiteral("name"));
    const QCommandLineOption scenes(QStringLiteral("scenes"),
                                    QCoreApplication::translate("CommandLine", "List the scenes, application=preset one a line, the one in force marked with *."));
    const QCommandLineOption addScene(QStringLiteral("add-scene"),
                                      QCoreApplication::translate("CommandLine", "While <application> records from the device, apply <preset>."),
                                      QStringLiteral("application=preset"));
    const QCommandLineOption removeScene(QStringLiteral("remove-scene"),
                                         QCoreApplication::translate("CommandLine", "Remove the scene of <application>."),
                                         QStringLiteral("application"));
    parser.addOptions({hidden, status, set, toggle, presets, preset, savePreset, scenes, addScene, removeScene, doctor,
                       json});
    parser.addPositionalArgument(QStringLiteral("key=value"), QCoreApplication::translate("CommandLine", "With --set: the settings to change."),
                                 QStringLiteral("[key=value ...]"));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help))
        return exitWith(ExitCode::Success, helpText(parser));
    if (parser.isSet(version))
        return exitWith(ExitCode::Success,
                        QStringLiteral("%1 %2\n").arg(kProgram, QCoreApplication::applicationVersion()));

    CommandLineRequest request;
    if (parser.isSet(json) && !parser.isSet(doctor))
        return usageError(QCoreApplication::translate("CommandLine", "--json goes with --doctor"));
    if (parser.isSet(doctor)) {
        if (parser.isSet(hidden) || parser.isSet(status) || parser.isSet(set) || parser.isSet(toggle)
            || parser.isSet(presets) || parser.isSet(preset) || parser.isSet(savePreset) || parser.isSet(scenes)
            || parser.isSet(addScene) || parser.isSet(removeScene)
            || !parser.positionalArguments().isEmpty())
            return usageError(QCoreApplication::translate("CommandLine", "--doctor goes with --json only"));
        request.mode = CommandLineRequest::Mode::Doctor;
        request.json = parser.isSet(json);
        return request;
    }
    const QStringList pairs = parser.positionalArguments();
    if (!pairs.isEmpty() && !parser.isSet(set))
        return usageError(QCoreApplication::translate("CommandLine", "unexpected argument \"%1\" (settings go after --set)").arg(pairs.first()));
    if (parser.isSet(set) && pairs.isEmpty())
        return usageError(QCoreApplication::translate("CommandLine", "--set needs at least one key=value"));

    for (const QString& pair : pairs) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return usageError(QCoreApplication::translate("CommandLine", "\"%1\" is not key=value").arg(pair));
        const SettingRow* key = findSettingRow(QStringView(pair).left(equals));
        if (!key)
            return usageError(QCoreApplication::translate("CommandLine", "unknown key \"%1\"; the keys are %2")
                                  .arg(pair.left(equals), settingNames().join(QStringLiteral(", "))));
        QString why;
        const std::optional<int> value = parseSettingValue(*key, QStringView(pair).mid(equals + 1), &why);
        if (!value)
            return usageError(why);
        request.sets.emplace_back(key->setting, *value);
    }
    for (const QString& name : parser.values(toggle)) {
        const SettingRow* key = findSettingRow(name);
        if (!key || !key->isSwitch)
            return usageError(QCoreApplication::translate("CommandLine", "--toggle takes monitor, denoise or mixer, not \"%1\"").arg(name));
        request.toggles.push_back(key->setting);
    }
    request.status = parser.isSet(status);
    request.listPresets = parser.isSet(presets);
    if (parser.isSet(preset))
        request.applyPreset = parser.value(preset);
    if (parser.isSet(savePreset))
        request.savePreset = parser.value(savePreset);
    if (request.savePreset && request.savePreset->trimmed().isEmpty())
        return usageError(QCoreApplication::translate("CommandLine", "--save-preset needs a name"));

    request.listScenes = parser.isSet(scenes);
    if (parser.isSet(addScene)) {
        const QString pair = parser.value(addScene);
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0 || equals == pair.size() - 1)
            return usageError(QCoreApplication::translate("CommandLine", "--add-scene takes application=preset, not \"%1\"").arg(pair));
        request.addScene = std::pair(pair.left(equals), pair.mid(equals + 1));
    }
    if (parser.isSet(removeScene))
        request.removeScene = parser.value(removeScene);

    const bool client = request.status || !request.sets.empty() || !request.toggles.empty() || request.listPresets
                        || request.applyPreset || request.savePreset || request.listScenes || request.addScene
                        || request.removeScene;
    if (client && parser.isSet(hidden))
        return usageError(QCoreApplication::translate("CommandLine", "--hidden starts the panel; it does not go with --status, --set, --toggle "
                                         "or the preset and scene options"));
    request.mode = client ? CommandLineRequest::Mode::Client : CommandLineRequest::Mode::Panel;
    request.hidden = parser.isSet(hidden);
    return request;
}

namespace {

// Talks to the running panel: its properties in one call, its setters.
class PanelClient {
public:
    PanelClient(QDBusConnection connection, QTextStream& err)
        : m_connection(connection)
        , m_err(err)
        , m_proxy(SessionInstance::kBusName, PanelService::kObjectPath, connection)
    {
        m_proxy.setTimeout(kCallTimeoutMs);
        registerSceneMap();
    }

    std::optional<PanelState> state()
    {
        QDBusMessage call = QDBusMessage::createMethodCall(SessionInstance::kBusName, PanelService::kObjectPath,
                                                           QStringLiteral("org.freedesktop.DBus.Properties"),
                                                           QStringLiteral("GetAll"));
        call << PanelService::kInterface;
        call.setAutoStartService(false);
        const QDBusMessage reply = m_connection.call(call, QDBus::Block, kCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            m_lastCode = failure(QCoreApplication::translate("CommandLine", "cannot read the panel's state"), reply.errorName(),
                                 reply.errorMessage());
            return std::nullopt;
        }
        return PanelState::fromProperties(qdbus_cast<QVariantMap>(reply.arguments().first()));
    }

    // Set<Property>(value) on the bus, a stage's SetStage(number, value).
    bool set(PanelSetting setting, int value)
    {
        const SettingRow& row = settingRow(setting);
        const int stage = static_cast<int>(setting) - static_cast<int>(PanelSetting::Stage1) + 1;
        const QVariant argument = row.isSwitch ? QVariant(value != 0) : QVariant(value);
        QDBusPendingReply<> reply = stage >= 1 && stage <= 5
            ? m_proxy.asyncCall(QStringLiteral("SetStage"), stage, value)
            : m_proxy.asyncCall(QStringLiteral("Set") + QLatin1String(row.property), argument);
        reply.waitForFinished();
        if (!reply.isError())
            return true;
        m_lastCode = failure(QCoreApplication::translate("CommandLine", "cannot set %1").arg(QLatin1String(settingRow(setting).name)),
                             reply.error().name(), reply.error().message());
        return false;
    }

    bool applyPreset(const QString& name)
    {
        return finished(m_proxy.ApplyPreset(name),
                        QCoreApplication::translate("CommandLine", "cannot apply the preset \"%1\"").arg(name));
    }

    bool addScene(const QString& application, const QString& preset)
    {
        return finished(m_proxy.AddScene(application, preset),
                        QCoreApplication::translate("CommandLine", "cannot add the scene for \"%1\"").arg(application));
    }

    bool removeScene(const QString& application)
    {
        return finished(m_proxy.RemoveScene(application),
                        QCoreApplication::translate("CommandLine", "cannot remove the scene for \"%1\"").arg(application));
    }

    std::optional<SceneMap> scenes()
    {
        QDBusPendingReply<SceneMap> reply = m_proxy.Scenes();
        reply.waitForFinished();
        if (!reply.isError())
            return reply.value();
        m_lastCode = failure(QCoreApplication::translate("CommandLine", "cannot read the scenes"), reply.error().name(),
                             reply.error().message());
        return std::nullopt;
    }

    bool savePreset(const QString& name)
    {
        return finished(m_proxy.SavePreset(name),
                        QCoreApplication::translate("CommandLine", "cannot save the preset \"%1\"").arg(name));
    }

    // A request of several changes with a preset among them is checked
    // whole against the panel's presets before the first change is made,
    // so one that would fail changes nothing.
    bool acceptsWhole(const CommandLineRequest& request)
    {
        const std::size_t changes = (request.applyPreset ? 1 : 0) + request.sets.size() + request.toggles.size()
                                    + (request.savePreset ? 1 : 0);
        if (changes < 2 || (!request.applyPreset && !request.savePreset))
            return true;
        const std::optional<PanelState> state = this->state();
        if (!state)
            return false;
        if (state->presets.isEmpty()) {
            m_err << kProgram << ": "
                  << QCoreApplication::translate("CommandLine", "the panel's presets are not available yet") << '\n';
            m_lastCode = ExitCode::Failure;
            return false;
        }
        if (request.applyPreset && !state->presets.contains(*request.applyPreset)) {
            const QString& name = *request.applyPreset;
            m_lastCode = failure(
                QCoreApplication::translate("CommandLine", "cannot apply the preset \"%1\"").arg(name),
                PanelService::kUnknownPresetError,
                QCoreApplication::translate("PanelService", "there is no preset \"%1\"; the presets are %2")
                    .arg(name, state->presets.join(QStringLiteral(", "))));
            return false;
        }
        if (request.savePreset) {
            const QString& name = *request.savePreset;
            const QString what = QCoreApplication::translate("CommandLine", "cannot save the preset \"%1\"").arg(name);
            QString why;
            if (!PresetStore::checkNewName(name, &why)) {
                m_lastCode = failure(what, PanelService::kInvalidNameError, why);
                return false;
            }
            const auto userPresets = std::count_if(state->presets.cbegin(), state->presets.cend(),
                                                   [](const QString& preset) { return !FactoryPresets::find(preset); });
            if (!state->presets.contains(name) && userPresets >= PresetStore::MaxUserPresets) {
                m_lastCode = failure(what, PanelService::kInvalidNameError,
                                     QCoreApplication::translate("PresetStore", "there are already %1 presets; delete one first")
                                         .arg(PresetStore::MaxUserPresets));
                return false;
            }
        }
        return true;
    }

    int lastCode() const { return m_lastCode; }

private:
    bool finished(QDBusPendingReply<> reply, const QString& what)
    {
        reply.waitForFinished();
        if (!reply.isError())
            return true;
        m_lastCode = failure(what, reply.error().name(), reply.error().message());
        return false;
    }

    int failure(const QString& what, const QString& errorName, const QString& message)
    {
        m_err << kProgram << ": " << what << ": " << message << '\n';
        if (errorName == PanelService::kNotLinkedError)
            return ExitCode::NotLinked;
        if (errorName == PanelService::kOutOfRangeError || errorName == PanelService::kUnknownPresetError
            || errorName == PanelService::kInvalidNameError || errorName == PanelService::kUnknownSceneError)
            return ExitCode::Usage;
        if (errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
            || errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
            return ExitCode::NoPanel;
        return ExitCode::Failure;
    }

    QDBusConnection m_connection;
    QTextStream& m_err;
    ComQuorelPanelControlInterface m_proxy;
    int m_lastCode = ExitCode::Success;
};

} // namespace

int runClient(const CommandLineRequest& request, QDBusConnection connection, QTextStream& out, QTextStream& err)
{
    if (!connection.isConnected()) {
        err << kProgram << ": "
            << QCoreApplication::translate("CommandLine", "no session bus to reach the panel over (%1)")
                   .arg(connection.lastError().message())
            << '\n';
        return ExitCode::NoPanel;
    }
    if (!connection.interface()->isServiceRegistered(SessionInstance::kBusName)) {
        err << kProgram << ": "
            << QCoreApplication::translate("CommandLine", "no panel is running in this session; start it with '%1'")
                   .arg(kProgram)
            << '\n';
        return ExitCode::NoPanel;
    }

    PanelClient panel(connection, err);
    if (!panel.acceptsWhole(request))
        return panel.lastCode();
    if (request.applyPreset && !panel.applyPreset(*request.applyPreset))
        return panel.lastCode();
    for (const auto& [setting, value] : request.sets) {
        if (!panel.set(setting, value))
            return panel.lastCode();
    }
    for (PanelSetting setting : request.toggles) {
        const std::optional<PanelState> state = panel.state();
        if (!state)
            return panel.lastCode();
        if (!panel.set(setting, state->value(setting) != 0 ? 0 : 1))
            return panel.lastCode();
    }
    if (request.savePreset && !panel.savePreset(*request.savePreset))
        return panel.lastCode();
    if (request.addScene && !panel.addScene(request.addScene->first, request.addScene->second))
        return panel.lastCode();
    if (request.removeScene && !panel.removeScene(*request.removeScene))
        return panel.lastCode();
    if (!request.status && !request.listPresets && !request.listScenes)
        return ExitCode::Success;
    const std::optional<PanelState> state = panel.state();
    if (!state)
        return panel.lastCode();
    if (request.listPresets && state->presets.isEmpty()) {
        err << kProgram << ": "
            << QCoreApplication::translate("CommandLine", "the panel's presets are not available yet") << '\n';
        return ExitCode::Failure;
    }
    if (request.listPresets)
        out << state->presetLines().join(QLatin1Char('\n')) << '\n';
    if (request.listScenes) {
        const std::optional<SceneMap> scenes = panel.scenes();
        if (!scenes)
            return panel.lastCode();
        for (auto scene = scenes->cbegin(); scene != scenes->cend(); ++scene) {
            const bool active = scene.key().compare(state->activeScene, Qt::CaseInsensitive) == 0;
            out << (active ? "* " : "  ") << scene.key() << '=' << scene.value() << '\n';
        }
    }
    if (!request.status)
        return ExitCode::Success;
    out << state->statusLines().join(QLatin1Char('\n')) << '\n';
    return state->linked ? ExitCode::Success : ExitCode::NotLinked;
}
