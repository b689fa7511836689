#include "audio/PulseDeviceRequests.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>

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
                                         const PulseSetScalars& setScalars, SuspectStale suspectStale,
                                         FreshlyRead freshlyRead)
    : m_connection(connection)
    , m_runner(runner)
    , m_setScalars(setScalars)
    , m_suspectStale(std::move(suspectStale))
    , m_freshlyRead(std::move(freshlyRead))
{
}

// ---- Loop thread: the server's changes wake whoever waits for a default ----

void PulseDeviceRequests::connectionReady(pa_context*, Ready)
{
    serverChanged();
}

void PulseDeviceRequests::connectionLost(int)
{
    serverChanged();
}

void PulseDeviceRequests::serverEvent(pa_subscription_event_type_t type, std::uint32_t)
{
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER)
        serverChanged();
}

void PulseDeviceRequests::serverChanged()
{
    {
        std::lock_guard<std::mutex> lock(m_changesMutex);
        ++m_serverChanges;
    }
    m_changed.notify_all();
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

// ---- Blocking queries, each waiting at most the bound ----

int PulseDeviceRequests::query(AudioObjectID device, AudioScope scope, PulseDeviceInfo& info, const char* what)
{
    if (!pulseid::fits(device, scope))
        return AudioStatus::NoSuchDevice;
    PulseRequest request;
    const std::uint32_t index = pulseid::indexOf(device);
    const int status = m_runner.run(request, [index, scope](pa_context* context, PulseRequest& r) {
        return scope == AudioScope::Output
            ? pa_context_get_sink_info_by_index(context, index, PulseRequest::sinkInfo, &r)
            : pa_context_get_source_info_by_index(context, index, PulseRequest::sourceInfo, &r);
    }, what);
    if (status != AudioStatus::Ok)
        return status;
    if (request.failed || request.devices.empty())
        return AudioStatus::NoSuchDevice;
    info = std::move(request.devices.front());
    return AudioStatus::Ok;
}

int PulseDeviceRequests::queryByName(AudioScope scope, const std::string& serverName, PulseDeviceInfo& info,
                                     const char* what)
{
    PulseRequest request;
    const int status = m_runner.run(request, [&serverName, scope](pa_context* context, PulseRequest& r) {
        return scope == AudioScope::Output
            ? pa_context_get_sink_info_by_name(context, serverName.c_str(), PulseRequest::sinkInfo, &r)
            : pa_context_get_source_info_by_name(context, serverName.c_str(), PulseRequest::sourceInfo, &r);
    }, what);
    if (status != AudioStatus::Ok)
        return status;
    if (request.failed || request.devices.empty()) {
        qCWarning(lcPulseAudio, "%s: the %s device %s is gone", what, pulseScopeName(scope), serverName.c_str());
        return AudioStatus::NoSuchDevice;
    }
    info = std::move(request.devices.front());
    return AudioStatus::Ok;
}

int PulseDeviceRequests::queryAll(std::vector<PulseDeviceInfo>& devices)
{
    PulseRequest sinks;
    int status = m_runner.run(sinks, [](pa_context* context, PulseRequest& r) {
        return pa_context_get_sink_info_list(context, PulseRequest::sinkInfo, &r);
    }, "list output devices");
    if (status != AudioStatus::Ok)
        return status;
    PulseRequest sources;
    sources.skipMonitors = true;
    status = m_runner.run(sources, [](pa_context* context, PulseRequest& r) {
        return pa_context_get_source_info_list(context, PulseRequest::sourceInfo, &r);
    }, "list input devices");
    if (status != AudioStatus::Ok)
        return status;
    if (sinks.failed || sources.failed) {
        qCWarning(lcPulseAudio, "the sound server refused to list its devices");
        return AudioStatus::ServerError;
    }
    devices = std::move(sinks.devices);
    devices.insert(devices.end(), std::make_move_iterator(sources.devices.begin()),
                   std::make_move_iterator(sources.devices.end()));
    return AudioStatus::Ok;
}

int PulseDeviceRequests::deviceCount(std::uint32_t& count)
{
    std::vector<PulseDeviceInfo> devices;
    const int status = queryAll(devices);
    if (status == AudioStatus::Ok)
        count = static_cast<std::uint32_t>(devices.size());
    return status;
}

int PulseDeviceRequests::deviceList(AudioObjectID* list, std::uint32_t& count)
{
    std::vector<PulseDeviceInfo> devices;
    const int status = queryAll(devices);
    if (status != AudioStatus::Ok)
        return status;
    const std::uint32_t written = std::min(count, static_cast<std::uint32_t>(devices.size()));
    for (std::uint32_t i = 0; i < written; ++i)
        list[i] = devices[i].id;
    count = written;
    return AudioStatus::Ok;
}

int PulseDeviceRequests::deviceName(AudioObjectID device, AudioScope scope, std::string& name)
{
    PulseDeviceInfo info;
    const int status = query(device, scope, info, "read a device name");
    if (status == AudioStatus::Ok)
        name = info.name;
    return status;
}

int PulseDeviceRequests::readDefaults(PulseRequest& server)
{
    const int status = m_runner.run(server, askForServerInfo, "read the default devices");
    if (status == AudioStatus::Ok && server.failed) {
        qCWarning(lcPulseAudio, "the sound server refused to tell its default devices");
        return AudioStatus::ServerError;
    }
    return status;
}

int PulseDeviceRequests::defaultDevice(AudioScope scope, AudioObjectID& device)
{
    PulseRequest server;
    const int status = readDefaults(server);
    if (status != AudioStatus::Ok)
        return status;
    const std::string& serverName = scope == AudioScope::Output ? server.defaultSink : server.defaultSource;
    if (serverName.empty()) {
        qCWarning(lcPulseAudio, "the sound server has no default %s device", pulseScopeName(scope));
        return AudioStatus::NoSuchDevice;
    }
    PulseDeviceInfo info;
    const int found = queryByName(scope, serverName, info, "read the default device");
    if (found == AudioStatus::Ok)
        device = info.id;
    return found;
}

// Waits at most `bound` until the server reports `serverName` as its
// default; woken by the server's change events, and looking again now and
// then in case a server does not send them. `current` is the last default
// seen.
int PulseDeviceRequests::waitForDefault(AudioScope scope, const std::string& serverName,
                                        std::chrono::milliseconds bound, std::string& current)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + bound;
    for (;;) {
        std::uint64_t seen = 0;
        {
            std::lock_guard<std::mutex> lock(m_changesMutex);
            seen = m_serverChanges;
        }
        PulseRequest server;
        const int status = readDefaults(server);
        if (status != AudioStatus::Ok)
            return status;
        current = scope == AudioScope::Output ? server.defaultSink : server.defaultSource;
        if (current == serverName)
            return AudioStatus::Ok;
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return AudioStatus::Timeout;
        std::unique_lock<std::mutex> lock(m_changesMutex);
        m_changed.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(kDefaultCheckMs)),
                             [&] { return m_serverChanges != seen; });
    }
}

// A request refused over a connection that took another's place is made
// once more over that one.
int PulseDeviceRequests::requestDefault(AudioScope scope, const std::string& serverName)
{
    const auto ask = [this, &serverName, scope](PulseRequest& request) {
        return m_runner.run(request, [&serverName, scope](pa_context* context, PulseRequest& r) {
            return askForDefault(context, scope, serverName, r);
        }, "set the default device");
    };
    PulseRequest first;
    int status = ask(first);
    bool failed = first.failed;
    int error = first.error;
    if (status == AudioStatus::Ok && failed && backToReplacedConnection(scope, serverName, error)) {
        PulseRequest again;
        status = ask(again);
        failed = again.failed;
        error = again.error;
    }
    if (status == AudioStatus::Ok && failed) {
        qCWarning(lcPulseAudio, "the sound server refused to make %s the default %s: %s", serverName.c_str(),
                  pulseScopeName(scope), pa_strerror(error));
        return AudioStatus::ServerError;
    }
    return status;
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

// Returns once the server reports the new default, within the bound. A
// session manager busy with an earlier change may keep its own choice, and
// a connection may miss the change: after a quarter of the bound the
// request is made once more, over a new connection.
int PulseDeviceRequests::setDefaultDevice(AudioScope scope, AudioObjectID device)
{
    PulseDeviceInfo info;
    int status = query(device, scope, info, "set the default device");
    if (status != AudioStatus::Ok) {
        if (status == AudioStatus::NoSuchDevice)
            qCWarning(lcPulseAudio, "cannot make %u the default %s: no such %s device", device,
                      pulseScopeName(scope), pulseScopeName(scope));
        return status;
    }
    const std::string& serverName = info.serverName;
    const std::chrono::milliseconds bound = m_connection.bound();
    std::string current;
    for (int attempt = 0; attempt < 2; ++attempt) {
        status = requestDefault(scope, serverName);
        if (status == AudioStatus::Ok)
            status = waitForDefault(scope, serverName, attempt == 0 ? bound / 4 : bound / 2, current);
        if (status != AudioStatus::Timeout)
            return status;
        // This connection may be the one that no longer hears of changes
        // to the defaults; the second request goes over a new one.
        if (attempt == 0 && m_connection.renew(bound / 4))
            qCInfo(lcPulseAudio, "still told %s is the default %s; asking again over a new connection",
                   current.empty() ? "none" : current.c_str(), pulseScopeName(scope));
    }
    qCWarning(lcPulseAudio, "the sound server accepted %s as the default %s but still reports %s after %lld ms",
              serverName.c_str(), pulseScopeName(scope), current.empty() ? "none" : current.c_str(),
              static_cast<long long>(bound.count()));
    return status;
}

bool PulseDeviceRequests::hasMainVolume(AudioObjectID device, AudioScope scope)
{
    PulseDeviceInfo info;
    return query(device, scope, info, "look for a main volume") == AudioStatus::Ok && info.hasMainVolume();
}

int PulseDeviceRequests::volumeScalar(AudioObjectID device, AudioScope scope, float& scalar)
{
    PulseDeviceInfo info;
    const int status = query(device, scope, info, "read a volume");
    if (status != AudioStatus::Ok)
        return status;
    PulseLoopLock lock(m_connection.loop());
    scalar = m_setScalars.scalarOf({scope, info.serverName}, pa_cvolume_max(&info.volume));
    return AudioStatus::Ok;
}
