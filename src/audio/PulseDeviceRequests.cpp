#include "audio/PulseDeviceRequests.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QTimer>

#include <pulse/error.h>

Q_DECLARE_LOGGING_CATEGORY(lcPulseAudio)

namespace {

// How often a default asked for is read again while the server's change
// events do not show it.
constexpr int kDefaultCheckMs = 50;

pa_operation* askForDefault(pa_context* context, AudioScope scope, const std::string& serverName, PulseRequest& r)
{
    return scope == AudioScope::Output
        ? pa_context_set_default_sink(context, serverName.c_str(), PulseRequest::success, &r)
        : pa_context_set_default_source(context, serverName.c_str(), PulseRequest::success, &r);
}

pa_operation* askForServerInfo(pa_context* context, PulseRequest& r)
{
    return pa_context_get_server_info(context, PulseRequest::serverInfo, &r);
}

} // namespace

PulseDeviceRequests::PulseDeviceRequests(PulseConnection& connection, PulseRequestRunner& runner,
                                         SuspectStale suspectStale, FreshlyRead freshlyRead)
    : m_connection(connection)
    , m_runner(runner)
    , m_suspectStale(std::move(suspectStale))
    , m_freshlyRead(std::move(freshlyRead))
{
}

// ---- Requests answered later ----

void PulseDeviceRequests::requestDevices(AudioDevicesDone done)
{
    auto devices = std::make_shared<std::vector<AudioDeviceNames>>();
    m_runner.send([](pa_context* context, PulseRequest& r) {
        return pa_context_get_sink_info_list(context, PulseRequest::sinkInfo, &r);
    }, "list output devices", [this, devices, done = std::move(done)](int status, PulseRequest& sinks) mutable {
        if (status == AudioStatus::Ok && sinks.failed)
            status = AudioStatus::ServerError;
        if (status != AudioStatus::Ok)
            return done(status, {});
        for (const PulseDeviceInfo& sink : sinks.devices)
            devices->push_back(AudioDeviceNames{sink.id, sink.name, std::nullopt});
        m_runner.send([](pa_context* context, PulseRequest& r) {
            r.skipMonitors = true;
            return pa_context_get_source_info_list(context, PulseRequest::sourceInfo, &r);
        }, "list input devices", [devices, done = std::move(done)](int listed, PulseRequest& sources) {
            if (listed == AudioStatus::Ok && sources.failed) {
                qCWarning(lcPulseAudio, "the sound server refused to list its devices");
                listed = AudioStatus::ServerError;
            }
            if (listed != AudioStatus::Ok)
                return done(listed, {});
            for (const PulseDeviceInfo& source : sources.devices)
                devices->push_back(AudioDeviceNames{source.id, std::nullopt, source.name});
            done(AudioStatus::Ok, std::move(*devices));
        });
    });
}

// Read again on the server's change events and every 50 ms; after a quarter
// of the bound the request is made once more, and the defaults witness looks
// whether our connection still hears of changes.
struct PulseDeviceRequests::DefaultCheck {
    AudioScope scope = AudioScope::Output;
    std::string serverName;
    std::string current;
    AudioDone done;
    QDeadlineTimer deadline;
    bool askedAgain = false;
    bool askedReplaced = false; // over the connection a refusing one had replaced
};

void PulseDeviceRequests::requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done)
{
    m_runner.sendQuery(device, scope, "set the default device",
                       [this, scope, device, done = std::move(done)](int status, const PulseDeviceInfo& info) mutable {
        if (status != AudioStatus::Ok) {
            if (status == AudioStatus::NoSuchDevice)
                qCWarning(lcPulseAudio, "cannot make %u the default %s: no such %s device", device,
                          pulseScopeName(scope), pulseScopeName(scope));
            return done(status);
        }
        auto check = std::make_shared<DefaultCheck>();
        check->scope = scope;
        check->serverName = info.serverName;
        check->done = std::move(done);
        check->deadline = QDeadlineTimer(m_connection.bound());
        askDefault(check, true);
    });
}

// The first request's answer continues the check; the second one's only
// matters through the defaults read after it. Either, refused over a
// connection that took another's place, is made once more over that one.
void PulseDeviceRequests::askDefault(const std::shared_ptr<DefaultCheck>& check, bool first)
{
    m_runner.send([check](pa_context* context, PulseRequest& r) {
        return askForDefault(context, check->scope, check->serverName, r);
    }, "set the default device", [this, check, first](int asked, PulseRequest& r) {
        if (asked == AudioStatus::Ok && r.failed && !check->askedReplaced
            && backToReplacedConnection(check->scope, check->serverName, r.error)) {
            check->askedReplaced = true;
            return askDefault(check, first);
        }
        if (!first)
            return;
        if (asked == AudioStatus::Ok && r.failed) {
            qCWarning(lcPulseAudio, "the sound server refused to make %s the default %s: %s",
                      check->serverName.c_str(), pulseScopeName(check->scope), pa_strerror(r.error));
            asked = AudioStatus::ServerError;
        }
        if (asked != AudioStatus::Ok)
            return check->done(asked);
        checkDefault(check);
    });
}

void PulseDeviceRequests::checkDefault(const std::shared_ptr<DefaultCheck>& check)
{
    m_runner.send(askForServerInfo, "read the default devices", [this, check](int status, PulseRequest& server) {
        if (status == AudioStatus::Ok && server.failed)
            status = AudioStatus::ServerError;
        if (status != AudioStatus::Ok)
            return check->done(status);
        check->current = check->scope == AudioScope::Output ? server.defaultSink : server.defaultSource;
        if (check->current == check->serverName)
            return check->done(AudioStatus::Ok);
        // Our connection may have stopped hearing of changes to the defaults
        // (see PulseDefaultsWitness): a new one that reads the default made
        // settles it, and takes our connection's place at once.
        if (check->askedAgain && freshlyRead(check->scope, check->serverName)) {
            qCInfo(lcPulseAudio, "our connection still reports %s as the default %s, a new one %s",
                   check->current.empty() ? "none" : check->current.c_str(), pulseScopeName(check->scope),
                   check->serverName.c_str());
            return check->done(AudioStatus::Ok);
        }
        const long long bound = m_connection.bound().count();
        if (check->deadline.hasExpired()) {
            qCWarning(lcPulseAudio, "the sound server accepted %s as the default %s but still reports %s after %lld ms",
                      check->serverName.c_str(), pulseScopeName(check->scope),
                      check->current.empty() ? "none" : check->current.c_str(), bound);
            return check->done(AudioStatus::NotCarriedOut);
        }
        if (!check->askedAgain && check->deadline.remainingTime() < bound * 3 / 4) {
            // A session manager busy with an earlier change may keep its own
            // choice, and our connection may no longer hear of changes.
            check->askedAgain = true;
            qCInfo(lcPulseAudio, "still told %s is the default %s; asking again",
                   check->current.empty() ? "none" : check->current.c_str(), pulseScopeName(check->scope));
            {
                PulseLoopLock lock(m_connection.loop());
                m_suspectStale();
            }
            askDefault(check, false);
        }
        QTimer::singleShot(kDefaultCheckMs, m_runner.mainThread(), [this, check] { checkDefault(check); });
    });
}

bool PulseDeviceRequests::freshlyRead(AudioScope scope, const std::string& serverName)
{
    PulseLoopLock lock(m_connection.loop());
    return m_freshlyRead(scope, serverName);
}

// Main thread: a connection that took ours' place may be refused a new
// default the one it replaced still gets (see PulseConnection); that one,
// if still up, becomes ours again. False when there is none to go back to:
// the refusal stands.
bool PulseDeviceRequests::backToReplacedConnection(AudioScope scope, const std::string& serverName, int error)
{
    PulseLoopLock lock(m_connection.loop());
    if (!m_connection.backToReplaced())
        return false;
    qCInfo(lcPulseAudio, "the sound server refused to make %s the default %s over our new connection (%s); "
                         "asking again over the one it replaced",
           serverName.c_str(), pulseScopeName(scope), pa_strerror(error));
    return true;
}

bool PulseDeviceRequests::hasMainVolume(AudioObjectID device, AudioScope scope)
{
    if (!pulseid::fits(device, scope))
        return false;
    PulseRequest request;
    const std::uint32_t index = pulseid::indexOf(device);
    const int status = m_runner.run(request, [index, scope](pa_context* context, PulseRequest& r) {
        return scope == AudioScope::Output
            ? pa_context_get_sink_info_by_index(context, index, PulseRequest::sinkInfo, &r)
            : pa_context_get_source_info_by_index(context, index, PulseRequest::sourceInfo, &r);
    }, "look for a main volume");
    return status == AudioStatus::Ok && !request.failed && !request.devices.empty()
        && request.devices.front().hasMainVolume();
}
