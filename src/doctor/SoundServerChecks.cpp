#include "doctor/SoundServerChecks.h"

#include "audio/AudioDevice.h"
#include "audio/PulseHandles.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <functional>
#include <memory>
#include <utility>

namespace {

struct Endpoint {
    QString name;  // the server's name, e.g. "alsa_output.usb-..."
    QString label; // what the user knows it by (product name, else description)
};

struct ServerFacts {
    bool reached = false;
    QString error;
    QString name;
    QString version;
    QString defaultSink;
    QString defaultSource;
    std::vector<Endpoint> sinks;
    std::vector<Endpoint> sources;
    int pending = 0;

    bool onPipeWire() const { return name.contains(QStringLiteral("PipeWire"), Qt::CaseInsensitive); }
};

struct MainloopFree {
    void operator()(pa_mainloop* loop) const { pa_mainloop_free(loop); }
};

QString text(const char* s)
{
    return s ? QString::fromUtf8(s) : QString();
}

template <typename Info>
Endpoint endpointOf(const Info& info)
{
    QString label = text(pa_proplist_gets(info.proplist, PA_PROP_DEVICE_PRODUCT_NAME));
    if (label.isEmpty())
        label = text(info.description);
    return {text(info.name), label};
}

// libpulse callbacks, all run by pa_mainloop_dispatch() on the thread that
// runs the checks.
void serverInfoReceived(pa_context*, const pa_server_info* info, void* data)
{
    auto* facts = static_cast<ServerFacts*>(data);
    if (info) {
        facts->name = text(info->server_name);
        facts->version = text(info->server_version);
        facts->defaultSink = text(info->default_sink_name);
        facts->defaultSource = text(info->default_source_name);
    }
    --facts->pending;
}

void sinkReceived(pa_context*, const pa_sink_info* info, int eol, void* data)
{
    auto* facts = static_cast<ServerFacts*>(data);
    if (eol)
        --facts->pending;
    else if (info)
        facts->sinks.push_back(endpointOf(*info));
}

void sourceReceived(pa_context*, const pa_source_info* info, int eol, void* data)
{
    auto* facts = static_cast<ServerFacts*>(data);
    if (eol)
        --facts->pending;
    else if (info && info->monitor_of_sink == PA_INVALID_INDEX) // a sink's monitor is no input
        facts->sources.push_back(endpointOf(*info));
}

// Runs the loop until `done` or the deadline; false when time ran out or
// the loop failed.
bool iterateUntil(pa_mainloop* loop, const QDeadlineTimer& deadline, const std::function<bool()>& done)
{
    while (!done()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || pa_mainloop_prepare(loop, static_cast<int>(left * 1000)) < 0 || pa_mainloop_poll(loop) < 0
            || pa_mainloop_dispatch(loop) < 0)
            return false;
    }
    return true;
}

ServerFacts askServer(const QString& server, int timeoutMs)
{
    ServerFacts facts;
    const QDeadlineTimer deadline(timeoutMs);
    std::unique_ptr<pa_mainloop, MainloopFree> loop(pa_mainloop_new());
    PulseContextPtr context(loop ? pa_context_new(pa_mainloop_get_api(loop.get()), "quorel-panel doctor") : nullptr);
    if (!context) {
        facts.error = SoundServerChecks::tr("libpulse cannot make a connection");
        return facts;
    }
    const QByteArray address = server.toUtf8();
    if (pa_context_connect(context.get(), server.isEmpty() ? nullptr : address.constData(), PA_CONTEXT_NOAUTOSPAWN,
                           nullptr)
        < 0) {
        facts.error = text(pa_strerror(pa_context_errno(context.get())));
        return facts;
    }
    const auto settled = [&] {
        const pa_context_state_t state = pa_context_get_state(context.get());
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (!iterateUntil(loop.get(), deadline, settled)) {
        facts.error = SoundServerChecks::tr("it did not answer within %1 s").arg(timeoutMs / 1000.0);
        return facts;
    }
    if (pa_context_get_state(context.get()) != PA_CONTEXT_READY) {
        facts.error = text(pa_strerror(pa_context_errno(context.get())));
        return facts;
    }

    facts.pending = 3;
    PulseOperationPtr serverInfo(pa_context_get_server_info(context.get(), serverInfoReceived, &facts));
    PulseOperationPtr sinks(pa_context_get_sink_info_list(context.get(), sinkReceived, &facts));
    PulseOperationPtr sources(pa_context_get_source_info_list(context.get(), sourceReceived, &facts));
    if (!serverInfo || !sinks || !sources || !iterateUntil(loop.get(), deadline, [&] { return facts.pending == 0; })) {
        facts.error = SoundServerChecks::tr("it answered, but not what it has within %1 s").arg(timeoutMs / 1000.0);
        // The operations' callbacks point at `facts`: none may run later.
        for (pa_operation* operation : {serverInfo.get(), sinks.get(), sources.get()}) {
            if (operation)
                pa_operation_cancel(operation);
        }
        return facts;
    }
    facts.reached = true;
    return facts;
}

const Endpoint* findDevice(const std::vector<Endpoint>& endpoints)
{
    for (const Endpoint& endpoint : endpoints) {
        if (AudioDevice::nameMatches(endpoint.label))
            return &endpoint;
    }
    return nullptr;
}

QString describe(const Endpoint& endpoint)
{
    return QStringLiteral("%1 (\"%2\")").arg(endpoint.name, endpoint.label);
}

// What PipeWire's session manager restores as the default output: the name
// in `default.configured.audio.sink`, empty when none is set; nullopt (with
// `why`) when it cannot be read.
std::optional<QString> configuredDefaultSink(const QString& program, int timeoutMs, QString* why)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, {QStringLiteral("-n"), QStringLiteral("default"), QStringLiteral("0"),
                            QStringLiteral("default.configured.audio.sink")});
    if (!process.waitForStarted(timeoutMs)) {
        *why = process.error() == QProcess::FailedToStart
                   ? SoundServerChecks::tr("%1 (package pipewire-bin) is not installed").arg(program)
                   : process.errorString();
        return std::nullopt;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        *why = SoundServerChecks::tr("%1 did not answer within %2 s").arg(program).arg(timeoutMs / 1000.0);
        return std::nullopt;
    }
    const QString output = QString::fromUtf8(process.readAll());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *why = SoundServerChecks::tr("%1 failed: %2").arg(program, output.trimmed().section(QLatin1Char('\n'), 0, 0));
        return std::nullopt;
    }
    // update: id:0 key:'default.configured.audio.sink' value:'{"name":"..."}' type:'Spa:String:JSON'
    static const QRegularExpression line(
        QStringLiteral("key:'default\\.configured\\.audio\\.sink' value:'(.*)' type:"));
    const QRegularExpressionMatch match = line.match(output);
    if (!match.hasMatch())
        return QString();
    return QJsonDocument::fromJson(match.captured(1).toUtf8()).object().value(QStringLiteral("name")).toString();
}

QString serverTitle()
{
    return SoundServerChecks::tr("Sound server");
}

QString outputTitle()
{
    return SoundServerChecks::tr("The device's output in the sound server");
}

QString inputTitle()
{
    return SoundServerChecks::tr("The device's input in the sound server");
}

QString defaultOutputTitle()
{
    return SoundServerChecks::tr("The device's output is the default");
}

QString defaultInputTitle()
{
    return SoundServerChecks::tr("The device's input is the default");
}

QString configuredTitle()
{
    return SoundServerChecks::tr("Default output the session manager restores");
}

} // namespace

SoundServerChecks::SoundServerChecks()
    : SoundServerChecks(Config{})
{
}

SoundServerChecks::SoundServerChecks(Config config)
    : m_config(std::move(config))
{
}

std::vector<DoctorCheck> SoundServerChecks::run()
{
    std::vector<DoctorCheck> checks;
    const ServerFacts facts = askServer(m_config.server, m_config.timeoutMs);
    if (!facts.reached) {
        const QString where = !m_config.server.isEmpty()                  ? m_config.server
                              : qEnvironmentVariableIsSet("PULSE_SERVER") ? qEnvironmentVariable("PULSE_SERVER")
                                                                          : tr("the session's socket");
        checks.push_back(
            DoctorCheck::fail(QStringLiteral("sound.server"), serverTitle(),
                              tr("no sound server answers at %1 (%2)").arg(where, facts.error),
                              tr("Start PipeWire's PulseAudio server ('systemctl --user start pipewire-pulse') or "
                                 "PulseAudio ('pulseaudio --start'); the panel connects by itself once it runs.")));
        for (const auto& [id, title] : {std::pair{"sound.output", outputTitle()},
                                        {"sound.input", inputTitle()},
                                        {"sound.default-output", defaultOutputTitle()},
                                        {"sound.default-input", defaultInputTitle()},
                                        {"sound.configured-default", configuredTitle()}})
            checks.push_back(DoctorCheck::skip(QString::fromLatin1(id), title, tr("no sound server")));
        return checks;
    }
    checks.push_back(DoctorCheck::pass(QStringLiteral("sound.server"), serverTitle(),
                                       QStringLiteral("%1 %2").arg(facts.name, facts.version)));

    const Endpoint* output = findDevice(facts.sinks);
    const Endpoint* input = findDevice(facts.sources);
    const QString target = QString::fromUtf8(AudioDevice::kTargetName);
    const QString absentFix
        = tr("Plug the device in; if it is in, check that its profile is not \"Off\" in the desktop's sound settings "
             "('pactl list cards').");
    for (const auto& [endpoint, id, title, kind] :
         {std::tuple{output, "sound.output", outputTitle(), QT_TRANSLATE_NOOP("SoundServerChecks", "output")},
          {input, "sound.input", inputTitle(), QT_TRANSLATE_NOOP("SoundServerChecks", "input")}}) {
        if (endpoint)
            checks.push_back(DoctorCheck::pass(QString::fromLatin1(id), title, describe(*endpoint)));
        else
            checks.push_back(DoctorCheck::fail(QString::fromLatin1(id), title,
                                               tr("the sound server has no %1 named \"%2\"").arg(tr(kind), target),
                                               absentFix));
    }

    for (const auto& [endpoint, current, id, title, kind, command] :
         {std::tuple{output, facts.defaultSink, "sound.default-output", defaultOutputTitle(),
                     QT_TRANSLATE_NOOP("SoundServerChecks", "output"), "set-default-sink"},
          {input, facts.defaultSource, "sound.default-input", defaultInputTitle(),
           QT_TRANSLATE_NOOP("SoundServerChecks", "input"), "set-default-source"}}) {
        if (!endpoint) {
            checks.push_back(
                DoctorCheck::skip(QString::fromLatin1(id), title, tr("the device has no %1").arg(tr(kind))));
        } else if (endpoint->name == current) {
            checks.push_back(DoctorCheck::pass(QString::fromLatin1(id), title, endpoint->name));
        } else {
            checks.push_back(DoctorCheck::fail(
                QString::fromLatin1(id), title,
                tr("the default %1 is %2, so the sound does not go through the device")
                    .arg(tr(kind), current.isEmpty() ? tr("not set") : current),
                tr("Start the panel, which makes the device the default when it links, or choose it in "
                   "the desktop's sound settings ('pactl %1 %2').")
                    .arg(QLatin1String(command), endpoint->name)));
        }
    }

    if (!facts.onPipeWire()) {
        checks.push_back(DoctorCheck::skip(QStringLiteral("sound.configured-default"), configuredTitle(),
                                           tr("PulseAudio keeps no separate session manager's default")));
        return checks;
    }
    QString why;
    const std::optional<QString> configured = configuredDefaultSink(m_config.metadataProgram,
                                                                    m_config.metadataTimeoutMs, &why);
    if (!configured) {
        checks.push_back(DoctorCheck::skip(QStringLiteral("sound.configured-default"), configuredTitle(), why));
    } else if (configured->isEmpty()) {
        checks.push_back(DoctorCheck::pass(QStringLiteral("sound.configured-default"), configuredTitle(),
                                           tr("none set; WirePlumber follows the current default")));
    } else if (!output || *configured == output->name) {
        checks.push_back(DoctorCheck::pass(QStringLiteral("sound.configured-default"), configuredTitle(), *configured));
    } else {
        checks.push_back(DoctorCheck::fail(
            QStringLiteral("sound.configured-default"), configuredTitle(),
            tr("WirePlumber's configured default output is %1, which it restores over the device").arg(*configured),
            tr("Make the device the default output in the desktop's sound settings, or run 'pactl "
               "set-default-sink %1'; WirePlumber keeps that choice.")
                .arg(output->name)));
    }
    return checks;
}
