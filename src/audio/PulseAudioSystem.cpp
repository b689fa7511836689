#include "audio/PulseAudioSystem.h"

#include <QLoggingCategory>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include <pulse/error.h>
#include <pulse/proplist.h>
#include <pulse/timeval.h>

Q_LOGGING_CATEGORY(lcPulseAudio, "quorel.audio.pulse")

namespace {

// Ids of our own: sinks and sources have separate index spaces on the
// server, so the lowest bit tells them apart and 0 stays "no device".
AudioObjectID sinkId(std::uint32_t index)
{
    return (index + 1) << 1;
}

AudioObjectID sourceId(std::uint32_t index)
{
    return ((index + 1) << 1) | 1u;
}

bool isValidId(AudioObjectID id)
{
    return id >= 2;
}

AudioScope scopeOf(AudioObjectID id)
{
    return (id & 1u) ? AudioScope::Input : AudioScope::Output;
}

std::uint32_t indexOf(AudioObjectID id)
{
    return (id >> 1) - 1;
}

const char* scopeName(AudioScope scope)
{
    return scope == AudioScope::Output ? "output" : "input";
}

// The server's volume for a scalar the caller has checked.
pa_volume_t rawVolumeOf(float scalar)
{
    const double wanted = std::round(static_cast<double>(scalar) * PA_VOLUME_NORM);
    return static_cast<pa_volume_t>(std::min(wanted, static_cast<double>(PA_VOLUME_MAX)));
}

bool isVolume(float scalar)
{
    return std::isfinite(scalar) && scalar >= 0.0f;
}

} // namespace

struct PulseAudioSystem::DeviceInfo {
    AudioObjectID id = kAudioObjectUnknown;
    AudioScope scope = AudioScope::Output;
    std::string serverName;
    std::string name; // what the user knows the device by
    pa_cvolume volume{};
    bool monitor = false;

    template <typename Info>
    static DeviceInfo from(const Info& info, AudioObjectID id, AudioScope scope)
    {
        DeviceInfo d;
        d.id = id;
        d.scope = scope;
        d.serverName = info.name ? info.name : "";
        const char* product = pa_proplist_gets(info.proplist, PA_PROP_DEVICE_PRODUCT_NAME);
        if (product && *product)
            d.name = product;
        else if (info.description)
            d.name = info.description;
        d.volume = info.volume;
        return d;
    }
};

// One request to the server. Its callbacks run on the main loop thread and
// hand their results to the waiting main thread under `mutex`.
struct PulseAudioSystem::Request {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool cancelled = false;
    bool failed = false;  // the server reported an error for the request
    bool skipMonitors = false;
    std::vector<DeviceInfo> devices;
    std::string defaultSink;
    std::string defaultSource;

    // Main loop thread.
    static void sinkInfo(pa_context*, const pa_sink_info* info, int eol, void* data)
    {
        auto* request = static_cast<Request*>(data);
        if (eol < 0)
            request->failed = true;
        else if (eol == 0 && info)
            request->devices.push_back(DeviceInfo::from(*info, sinkId(info->index), AudioScope::Output));
    }

    // Main loop thread.
    static void sourceInfo(pa_context*, const pa_source_info* info, int eol, void* data)
    {
        auto* request = static_cast<Request*>(data);
        if (eol < 0) {
            request->failed = true;
        } else if (eol == 0 && info) {
            const bool monitor = info->monitor_of_sink != PA_INVALID_INDEX;
            if (monitor && request->skipMonitors)
                return;
            DeviceInfo device = DeviceInfo::from(*info, sourceId(info->index), AudioScope::Input);
            device.monitor = monitor;
            request->devices.push_back(std::move(device));
        }
    }

    // Main loop thread.
    static void serverInfo(pa_context*, const pa_server_info* info, void* data)
    {
        auto* request = static_cast<Request*>(data);
        if (!info) {
            request->failed = true;
            return;
        }
        request->defaultSink = info->default_sink_name ? info->default_sink_name : "";
        request->defaultSource = info->default_source_name ? info->default_source_name : "";
    }

    // Main loop thread.
    static void success(pa_context*, int ok, void* data)
    {
        static_cast<Request*>(data)->failed = !ok;
    }

    // Main loop thread, or the main thread cancelling with the loop locked.
    static void operationState(pa_operation* operation, void* data)
    {
        const pa_operation_state_t state = pa_operation_get_state(operation);
        if (state == PA_OPERATION_RUNNING)
            return;
        auto* request = static_cast<Request*>(data);
        {
            std::lock_guard<std::mutex> lock(request->mutex);
            request->done = true;
            request->cancelled = state == PA_OPERATION_CANCELLED;
        }
        request->finished.notify_all();
    }
};

// One request sent without waiting: its operation, the answer collected on
// the main loop thread, and the timer that bounds it.
struct PulseAudioSystem::Pending {
    Request answer;
    PulseOperationPtr operation;
    QTimer bound;
    Answered answered;
    const char* what = "";
    PulseAudioSystem* system = nullptr;
    std::weak_ptr<Pending> self;

    // Main loop thread: the operation ended; its answer goes to the main
    // thread (dropped if the system has gone by then).
    static void operationState(pa_operation* operation, void* data)
    {
        const pa_operation_state_t state = pa_operation_get_state(operation);
        if (state == PA_OPERATION_RUNNING)
            return;
        auto* pending = static_cast<Pending*>(data);
        pending->answer.cancelled = state == PA_OPERATION_CANCELLED;
        PulseAudioSystem* system = pending->system;
        // By the time this runs the request may have been ended by its
        // bound; then it is not this request's any more.
        QMetaObject::invokeMethod(system->m_mainThread.get(), [system, weak = pending->self] {
            if (const std::shared_ptr<Pending> request = weak.lock())
                system->finish(request, request->answer.cancelled ? AudioStatus::NotConnected : AudioStatus::Ok);
        }, Qt::QueuedConnection);
    }
};

PulseAudioSystem::PulseAudioSystem(std::chrono::milliseconds timeout,
                                   std::chrono::milliseconds reconnectInterval)
    : m_timeout(timeout)
    , m_reconnectInterval(reconnectInterval)
    , m_loop(pa_threaded_mainloop_new())
{
    m_mainThread = std::make_unique<QObject>();
    m_sentBound = std::make_unique<QTimer>();
    m_sentBound->setSingleShot(true);
    QObject::connect(m_sentBound.get(), &QTimer::timeout, m_mainThread.get(), [this] {
        if (m_volumesAnswered < m_sentAtBound) {
            qCWarning(lcPulseAudio, "send a volume: the sound server did not answer within %lld ms",
                      static_cast<long long>(m_timeout.count()));
            PulseLoopLock lock(m_loop.get());
            if (m_connected)
                pa_context_disconnect(m_context.get());
        } else if (m_volumesAnswered < m_volumesSent) {
            m_sentAtBound = m_volumesSent;
            m_sentBound->start(m_timeout);
        }
    });
    if (!m_loop) {
        qCWarning(lcPulseAudio, "cannot create the sound server main loop; system audio is unavailable");
        return;
    }
    pa_threaded_mainloop_set_name(m_loop.get(), "quorel-audio");
    m_witness = std::make_unique<PulseDefaultsWitness>(
        m_loop.get(), [this] { return newContextLocked(); },
        [this] { return std::make_pair(m_defaults[AudioScope::Output].serverName,
                                       m_defaults[AudioScope::Input].serverName); },
        [this](PulseContextPtr fresh) { takeOverConnectionLocked(std::move(fresh)); });
    {
        PulseLoopLock lock(m_loop.get());
        connectLocked();
    }
    if (pa_threaded_mainloop_start(m_loop.get()) < 0) {
        qCWarning(lcPulseAudio, "cannot start the sound server main loop; system audio is unavailable");
        m_context.reset();
        m_loop.reset();
        return;
    }
    // Let the first attempt settle so the first request finds the server.
    std::unique_lock<std::mutex> lock(m_stateMutex);
    m_stateChanged.wait_for(lock, m_timeout, [this] { return m_attempts > 0; });
}

PulseAudioSystem::~PulseAudioSystem()
{
    if (!m_loop)
        return;
    pa_threaded_mainloop_stop(m_loop.get());
    // The loop thread has ended: nothing else touches the handles now.
    for (const auto& pending : m_pending)
        pending->operation.reset();
    m_pending.clear();
    if (m_reconnect) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop.get());
        api->time_free(m_reconnect);
        m_reconnect = nullptr;
    }
    m_witness.reset();
    m_retired.reset();
    m_context.reset();
    m_loop.reset();
}

bool PulseAudioSystem::isConnected() const
{
    return m_connected.load();
}

bool PulseAudioSystem::waitForConnection(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_stateMutex);
    return m_stateChanged.wait_for(lock, timeout, [this] { return m_connected.load(); });
}

// ---- Connection (main loop thread, or with the loop locked) ----

PulseContextPtr PulseAudioSystem::newContextLocked()
{
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "quorel-panel");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "quorel-panel");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "quorel-panel");
    PulseContextPtr context(pa_context_new_with_proplist(pa_threaded_mainloop_get_api(m_loop.get()),
                                                         "quorel-panel", properties));
    pa_proplist_free(properties);
    return context;
}

void PulseAudioSystem::connectLocked()
{
    m_context.reset();
    m_context = newContextLocked();
    if (!m_context) {
        qCWarning(lcPulseAudio, "cannot create a sound server context");
        scheduleReconnectLocked();
        return;
    }
    pa_context_set_state_callback(m_context.get(), contextStateThunk, this);
    // No autospawn: the desktop session owns the sound server; we wait for it.
    if (pa_context_connect(m_context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 && !m_reconnect)
        onUnavailableLocked(pa_context_errno(m_context.get()));
}

void PulseAudioSystem::scheduleReconnectLocked()
{
    if (m_reconnect)
        return;
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(m_reconnectInterval.count()) * PA_USEC_PER_MSEC);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop.get());
    m_reconnect = api->time_new(api, &when, reconnectThunk, this);
}

void PulseAudioSystem::onContextState(pa_context* context)
{
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        m_connected = true;
        m_outageReported = false;
        qCInfo(lcPulseAudio, "connected to the sound server %s", pa_context_get_server(context));
        followServerLocked();
        if (m_everConnected)
            announceLocked(AudioSystemEvent::Reconnected);
        m_everConnected = true;
    } else if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
        onUnavailableLocked(pa_context_errno(context));
        return;
    } else {
        return;
    }
    countAttemptLocked();
}

// Main loop thread (or with the loop locked): subscribes to the current
// connection's events and reads again what is followed.
void PulseAudioSystem::followServerLocked()
{
    pa_context* context = m_context.get();
    pa_context_set_subscribe_callback(context, subscribeThunk, this);
    PulseOperationPtr subscribe(pa_context_subscribe(
        context,
        static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE
                                            | PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_CLIENT
                                            | PA_SUBSCRIPTION_MASK_CARD),
        nullptr, nullptr));
    if (!subscribe)
        qCWarning(lcPulseAudio, "cannot follow the sound server's devices: %s",
                  pa_strerror(pa_context_errno(context)));
    followDefaultsLocked();
    refreshWatchedLocked();
}

// PipeWire's PulseAudio server (0.3.65 at least) can stop telling one
// connection of changes to its defaults: that connection keeps reporting the
// old default however long it waits, while a new one reports the new
// default. A second connection is opened beside the current one and takes
// its place once ready; the followed defaults and listened devices are read
// again on it. Nothing is announced: for the caller the server never went.
// Waits at most `bound`; false when the server is not reached in time.
bool PulseAudioSystem::renewConnection(std::chrono::milliseconds bound)
{
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_renewalSettled = false;
    }
    {
        PulseLoopLock lock(m_loop.get());
        if (!m_connected)
            return false;
        m_renewal = newContextLocked();
        if (!m_renewal)
            return false;
        pa_context_set_state_callback(m_renewal.get(), renewalStateThunk, this);
        if (pa_context_connect(m_renewal.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            m_renewal.reset();
            return false;
        }
    }
    {
        std::unique_lock<std::mutex> lock(m_stateMutex);
        m_stateChanged.wait_for(lock, bound, [this] { return m_renewalSettled; });
    }
    PulseLoopLock lock(m_loop.get());
    PulseContextPtr renewal = std::move(m_renewal);
    if (!m_connected || pa_context_get_state(renewal.get()) != PA_CONTEXT_READY)
        return false;
    // The old connection goes quietly: its end is not the server's.
    const PulseContextPtr old = std::move(m_context);
    m_context = std::move(renewal);
    pa_context_set_state_callback(m_context.get(), contextStateThunk, this);
    followServerLocked();
    return true;
}

// Main loop thread: the renewal connection is ready or has failed.
void PulseAudioSystem::onRenewalState(pa_context* context)
{
    const pa_context_state_t state = pa_context_get_state(context);
    if (state != PA_CONTEXT_READY && state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED)
        return;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_renewalSettled = true;
    }
    m_stateChanged.notify_all();
}

void PulseAudioSystem::onUnavailableLocked(int error)
{
    const bool wasConnected = m_connected.exchange(false);
    if (wasConnected)
        announceLocked(AudioSystemEvent::Lost);
    // The next server has ids and defaults of its own.
    m_defaults.clear();
    m_volumeRefused.clear();
    m_witness->cancel();
    // Volumes it carried are not answered any more: none is outstanding.
    m_volumesAnswered = m_volumesSent.load();
    const char* reason = error == PA_OK ? "it stopped answering" : pa_strerror(error);
    if (wasConnected)
        qCWarning(lcPulseAudio, "lost the sound server (%s); reconnecting in the background", reason);
    else if (!m_outageReported)
        qCWarning(lcPulseAudio, "no sound server (%s); system audio is unavailable until one starts", reason);
    m_outageReported = true;
    // A failed context cannot be reused; the timer makes a new one.
    scheduleReconnectLocked();
    countAttemptLocked();
}

void PulseAudioSystem::countAttemptLocked()
{
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        ++m_attempts;
    }
    m_stateChanged.notify_all();
}

// Main loop thread: a connection that reads the current defaults where ours
// reads old ones takes its place; the followed defaults and listened devices
// are read again on it. Nothing is announced: the server never went.
void PulseAudioSystem::takeOverConnectionLocked(PulseContextPtr fresh)
{
    if (!m_connected)
        return;
    // The old one answers what it still carries, and goes at the next
    // takeover or with the system.
    pa_context_set_state_callback(m_context.get(), nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context.get(), nullptr, nullptr);
    m_retired = std::move(m_context);
    m_context = std::move(fresh);
    pa_context_set_state_callback(m_context.get(), contextStateThunk, this);
    followServerLocked();
}

// Main loop thread: the server says a client, card, sink or source changed.
void PulseAudioSystem::onSubscription(pa_subscription_event_type_t type, std::uint32_t index)
{
    const unsigned kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    // A client that leaves may have changed a default (or be the one that
    // left PipeWire telling no connection of it); so may a card or device
    // that comes or goes.
    const bool comesOrGoes = kind == PA_SUBSCRIPTION_EVENT_NEW || kind == PA_SUBSCRIPTION_EVENT_REMOVE;
    if (facility == PA_SUBSCRIPTION_EVENT_CLIENT) {
        if (kind == PA_SUBSCRIPTION_EVENT_REMOVE && !m_witness->isOwnClient(index))
            m_witness->suspect();
        return;
    }
    if (facility == PA_SUBSCRIPTION_EVENT_CARD) {
        m_witness->suspect();
        return;
    }
    if (comesOrGoes)
        m_witness->suspect();
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        m_witness->heard();
        // The defaults may have changed: wake whoever waits for one.
        {
            std::lock_guard<std::mutex> lock(m_stateMutex);
            ++m_serverChanges;
        }
        m_stateChanged.notify_all();
        followDefaultsLocked();
        return;
    }
    const AudioScope scope = facility == PA_SUBSCRIPTION_EVENT_SINK ? AudioScope::Output : AudioScope::Input;
    const AudioObjectID id = scope == AudioScope::Output ? sinkId(index) : sourceId(index);
    FollowedDefault& followed = m_defaults[scope];
    if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
        // Until the server names its next default, volumes have nowhere to go.
        if (followed.id == id)
            followed = FollowedDefault{followed.serverName};
        return;
    }
    if (kind == PA_SUBSCRIPTION_EVENT_NEW)
        announceLocked(AudioSystemEvent::DeviceAdded);
    const bool watching = std::any_of(m_watched.begin(), m_watched.end(),
                                      [scope](const auto& entry) { return entry.first.first == scope; });
    // A default not seen yet may be the device just added.
    const bool maybeDefault =
        followed.id == id || (followed.id == kAudioObjectUnknown && !followed.serverName.empty());
    if (!watching && !maybeDefault)
        return;
    pa_context* context = m_context.get();
    PulseOperationPtr info(scope == AudioScope::Output
                               ? pa_context_get_sink_info_by_index(context, index, watchedSinkThunk, this)
                               : pa_context_get_source_info_by_index(context, index, watchedSourceThunk, this));
    if (!info)
        qCWarning(lcPulseAudio, "cannot read the changed %s device %u: %s", scopeName(scope), index,
                  pa_strerror(pa_context_errno(context)));
}

// Main loop thread, or with the loop locked.
void PulseAudioSystem::announceLocked(AudioSystemEvent event)
{
    if (m_eventProc)
        m_eventProc(event, m_eventClientData);
}

// Main loop thread: asks for every listened device again after a reconnect.
void PulseAudioSystem::refreshWatchedLocked()
{
    pa_context* context = m_context.get();
    for (const auto& [key, watched] : m_watched) {
        const char* name = key.second.c_str();
        PulseOperationPtr info(key.first == AudioScope::Output
                                   ? pa_context_get_sink_info_by_name(context, name, watchedSinkThunk, this)
                                   : pa_context_get_source_info_by_name(context, name, watchedSourceThunk, this));
        if (!info)
            qCWarning(lcPulseAudio, "cannot read the %s device %s: %s", scopeName(key.first), name,
                      pa_strerror(pa_context_errno(context)));
    }
}

// Main loop thread: asks which devices are the defaults now.
void PulseAudioSystem::followDefaultsLocked()
{
    pa_context* context = m_context.get();
    PulseOperationPtr info(pa_context_get_server_info(context, serverInfoThunk, this));
    if (!info)
        qCWarning(lcPulseAudio, "cannot read the default devices: %s", pa_strerror(pa_context_errno(context)));
}

// Main loop thread: the server's defaults; a new one is read by name.
void PulseAudioSystem::onServerInfo(const pa_server_info* info)
{
    if (!info)
        return;
    pa_context* context = m_context.get();
    for (const AudioScope scope : {AudioScope::Output, AudioScope::Input}) {
        const char* name = scope == AudioScope::Output ? info->default_sink_name : info->default_source_name;
        FollowedDefault& followed = m_defaults[scope];
        if (!name || !*name) {
            followed = FollowedDefault{};
            continue;
        }
        if (followed.serverName == name && followed.id != kAudioObjectUnknown)
            continue;
        followed = FollowedDefault{name};
        PulseOperationPtr device(scope == AudioScope::Output
                                     ? pa_context_get_sink_info_by_name(context, name, watchedSinkThunk, this)
                                     : pa_context_get_source_info_by_name(context, name, watchedSourceThunk, this));
        if (!device)
            qCWarning(lcPulseAudio, "cannot read the default %s device %s: %s", scopeName(scope), name,
                      pa_strerror(pa_context_errno(context)));
    }
}

// Main loop thread: fresh information on a device that may be the default
// or listened to.
void PulseAudioSystem::onDeviceInfo(const DeviceInfo& info)
{
    FollowedDefault& followed = m_defaults[info.scope];
    if (!followed.serverName.empty() && followed.serverName == info.serverName) {
        followed.id = info.id;
        followed.volume = info.volume;
    }
    onWatchedInfo(info);
}

// Main loop thread: the server's answer to a volume sent without waiting.
// Only a change is logged and announced, so a drag against a refusing
// server says it once.
void PulseAudioSystem::onVolumeSent(AudioScope scope, bool ok)
{
    ++m_volumesAnswered;
    // A connection that went down fails what it carried; the next one starts afresh.
    if (!m_connected)
        return;
    bool& refused = m_volumeRefused[scope];
    if (refused == !ok)
        return;
    refused = !ok;
    const bool output = scope == AudioScope::Output;
    if (refused) {
        qCWarning(lcPulseAudio, "the sound server refused the %s volume of %s: %s", scopeName(scope),
                  m_defaults[scope].serverName.c_str(), pa_strerror(pa_context_errno(m_context.get())));
        announceLocked(output ? AudioSystemEvent::OutputVolumeRefused : AudioSystemEvent::InputVolumeRefused);
    } else {
        qCInfo(lcPulseAudio, "the sound server takes the %s volume again", scopeName(scope));
        announceLocked(output ? AudioSystemEvent::OutputVolumeTaken : AudioSystemEvent::InputVolumeTaken);
    }
}

// Main loop thread: fresh information on a device that may be listened to.
void PulseAudioSystem::onWatchedInfo(const DeviceInfo& info)
{
    const DeviceKey key{info.scope, info.serverName};
    const auto before = m_watched.find(key);
    const AudioObjectID previousId = before == m_watched.end() ? info.id : before->second.id;
    // Registrations waiting for their device's name get it; its volume now
    // is where changes are told from. A second registration of the same
    // device keeps one.
    for (auto l = m_listeners.begin(); l != m_listeners.end();) {
        if (!l->device.second.empty() || l->device.first != info.scope || l->registeredId != info.id) {
            ++l;
            continue;
        }
        auto [entry, added] = m_watched.try_emplace(key);
        entry->second.id = info.id;
        if (added) {
            entry->second.raw = pa_cvolume_max(&info.volume);
            entry->second.scalar = scalarOfLocked(key, entry->second.raw);
        }
        const auto twin = std::find_if(m_listeners.begin(), m_listeners.end(), [&](const Listener& other) {
            return other.device == key && other.proc == l->proc && other.clientData == l->clientData;
        });
        if (twin != m_listeners.end()) {
            twin->registeredId = info.id;
            l = m_listeners.erase(l);
        } else {
            l->device = key;
            ++l;
        }
    }
    const auto found = m_watched.find(key);
    if (found == m_watched.end())
        return;
    Watched& watched = found->second;
    watched.id = info.id;
    const pa_volume_t raw = pa_cvolume_max(&info.volume);
    // A device back under a new id is told even at the volume it had: the
    // session manager may have restored that before we first hear of it.
    if (raw == watched.raw && previousId == info.id)
        return;
    watched.raw = raw;
    watched.scalar = scalarOfLocked(key, raw);

    // A procedure may remove its own registration; call from a copy.
    std::vector<Listener> listeners;
    std::copy_if(m_listeners.begin(), m_listeners.end(), std::back_inserter(listeners),
                 [&key](const Listener& l) { return l.device == key; });
    for (const Listener& listener : listeners)
        listener.proc(info.id, info.scope, listener.clientData);
}

float PulseAudioSystem::scalarOfLocked(const DeviceKey& key, pa_volume_t raw) const
{
    const auto set = m_setScalars.find(key);
    if (set != m_setScalars.end() && set->second.raw == raw)
        return set->second.scalar;
    return static_cast<float>(raw) / static_cast<float>(PA_VOLUME_NORM);
}

// ---- Requests (main thread) ----

int PulseAudioSystem::run(Request& request, const Start& start, const char* what)
{
    if (!m_loop)
        return AudioStatus::NotConnected;
    if (pa_threaded_mainloop_in_thread(m_loop.get())) {
        qCWarning(lcPulseAudio, "%s: cannot wait for the sound server on its own thread", what);
        return AudioStatus::WrongThread;
    }
    PulseOperationPtr operation;
    {
        PulseLoopLock lock(m_loop.get());
        // The outage itself has been logged once.
        if (!m_connected)
            return AudioStatus::NotConnected;
        operation.reset(start(m_context.get(), request));
        if (!operation) {
            qCWarning(lcPulseAudio, "%s: %s", what, pa_strerror(pa_context_errno(m_context.get())));
            return AudioStatus::ServerError;
        }
        pa_operation_set_state_callback(operation.get(), Request::operationState, &request);
    }
    {
        std::unique_lock<std::mutex> lock(request.mutex);
        request.finished.wait_for(lock, m_timeout, [&request] { return request.done; });
    }
    bool answered = false;
    {
        PulseLoopLock lock(m_loop.get());
        pa_operation_set_state_callback(operation.get(), nullptr, nullptr);
        // Past this point no callback can reach `request` any more.
        if (pa_operation_get_state(operation.get()) == PA_OPERATION_RUNNING)
            pa_operation_cancel(operation.get());
        operation.reset();
        {
            std::lock_guard<std::mutex> requestLock(request.mutex);
            answered = request.done;
        }
        if (!answered) {
            qCWarning(lcPulseAudio, "%s: the sound server did not answer within %lld ms", what,
                      static_cast<long long>(m_timeout.count()));
            // A server that stops answering is treated as gone, so the next
            // requests fail at once instead of each waiting out the bound;
            // the reconnection finds it again once it answers.
            if (m_connected)
                pa_context_disconnect(m_context.get());
        }
    }
    if (!answered)
        return AudioStatus::Timeout;
    std::lock_guard<std::mutex> lock(request.mutex);
    if (request.cancelled) {
        qCWarning(lcPulseAudio, "%s: the sound server went away", what);
        return AudioStatus::NotConnected;
    }
    return AudioStatus::Ok;
}

int PulseAudioSystem::query(AudioObjectID device, AudioScope scope, DeviceInfo& info, const char* what)
{
    if (!isValidId(device) || scopeOf(device) != scope)
        return AudioStatus::NoSuchDevice;
    Request request;
    const std::uint32_t index = indexOf(device);
    const int status = run(request, [index, scope](pa_context* context, Request& r) {
        return scope == AudioScope::Output
            ? pa_context_get_sink_info_by_index(context, index, Request::sinkInfo, &r)
            : pa_context_get_source_info_by_index(context, index, Request::sourceInfo, &r);
    }, what);
    if (status != AudioStatus::Ok)
        return status;
    if (request.failed || request.devices.empty())
        return AudioStatus::NoSuchDevice;
    info = std::move(request.devices.front());
    return AudioStatus::Ok;
}

int PulseAudioSystem::queryByName(AudioScope scope, const std::string& serverName, DeviceInfo& info,
                                  const char* what)
{
    Request request;
    const int status = run(request, [&serverName, scope](pa_context* context, Request& r) {
        return scope == AudioScope::Output
            ? pa_context_get_sink_info_by_name(context, serverName.c_str(), Request::sinkInfo, &r)
            : pa_context_get_source_info_by_name(context, serverName.c_str(), Request::sourceInfo, &r);
    }, what);
    if (status != AudioStatus::Ok)
        return status;
    if (request.failed || request.devices.empty()) {
        qCWarning(lcPulseAudio, "%s: the %s device %s is gone", what, scopeName(scope), serverName.c_str());
        return AudioStatus::NoSuchDevice;
    }
    info = std::move(request.devices.front());
    return AudioStatus::Ok;
}

int PulseAudioSystem::queryAll(std::vector<DeviceInfo>& devices)
{
    Request sinks;
    int status = run(sinks, [](pa_context* context, Request& r) {
        return pa_context_get_sink_info_list(context, Request::sinkInfo, &r);
    }, "list output devices");
    if (status != AudioStatus::Ok)
        return status;
    Request sources;
    sources.skipMonitors = true;
    status = run(sources, [](pa_context* context, Request& r) {
        return pa_context_get_source_info_list(context, Request::sourceInfo, &r);
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

int PulseAudioSystem::deviceCount(std::uint32_t& count)
{
    std::vector<DeviceInfo> devices;
    const int status = queryAll(devices);
    if (status == AudioStatus::Ok)
        count = static_cast<std::uint32_t>(devices.size());
    return status;
}

int PulseAudioSystem::deviceList(AudioObjectID* list, std::uint32_t& count)
{
    std::vector<DeviceInfo> devices;
    const int status = queryAll(devices);
    if (status != AudioStatus::Ok)
        return status;
    const std::uint32_t written = std::min(count, static_cast<std::uint32_t>(devices.size()));
    for (std::uint32_t i = 0; i < written; ++i)
        list[i] = devices[i].id;
    count = written;
    return AudioStatus::Ok;
}

int PulseAudioSystem::deviceName(AudioObjectID device, AudioScope scope, std::string& name)
{
    DeviceInfo info;
    const int status = query(device, scope, info, "read a device name");
    if (status == AudioStatus::Ok)
        name = info.name;
    return status;
}

int PulseAudioSystem::readDefaults(Request& server)
{
    const int status = run(server, [](pa_context* context, Request& r) {
        return pa_context_get_server_info(context, Request::serverInfo, &r);
    }, "read the default devices");
    if (status == AudioStatus::Ok && server.failed) {
        qCWarning(lcPulseAudio, "the sound server refused to tell its default devices");
        return AudioStatus::ServerError;
    }
    return status;
}

int PulseAudioSystem::defaultDevice(AudioScope scope, AudioObjectID& device)
{
    Request server;
    const int status = readDefaults(server);
    if (status != AudioStatus::Ok)
        return status;
    const std::string& serverName = scope == AudioScope::Output ? server.defaultSink : server.defaultSource;
    if (serverName.empty()) {
        qCWarning(lcPulseAudio, "the sound server has no default %s device", scopeName(scope));
        return AudioStatus::NoSuchDevice;
    }
    DeviceInfo info;
    const int found = queryByName(scope, serverName, info, "read the default device");
    if (found == AudioStatus::Ok)
        device = info.id;
    return found;
}

// Waits at most `bound` until the server reports `serverName` as its
// default; woken by the server's change events, and looking again now and
// then in case a server does not send them. `current` is the last default
// seen.
int PulseAudioSystem::waitForDefault(AudioScope scope, const std::string& serverName,
                                     std::chrono::milliseconds bound, std::string& current)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + bound;
    for (;;) {
        std::uint64_t seen = 0;
        {
            std::lock_guard<std::mutex> lock(m_stateMutex);
            seen = m_serverChanges;
        }
        Request server;
        const int status = readDefaults(server);
        if (status != AudioStatus::Ok)
            return status;
        current = scope == AudioScope::Output ? server.defaultSink : server.defaultSource;
        if (current == serverName)
            return AudioStatus::Ok;
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return AudioStatus::Timeout;
        std::unique_lock<std::mutex> lock(m_stateMutex);
        m_stateChanged.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(50)),
                                  [&] { return m_serverChanges != seen || !m_connected; });
    }
}

int PulseAudioSystem::requestDefault(AudioScope scope, const std::string& serverName)
{
    Request request;
    const int status = run(request, [&serverName, scope](pa_context* context, Request& r) {
        return scope == AudioScope::Output
            ? pa_context_set_default_sink(context, serverName.c_str(), Request::success, &r)
            : pa_context_set_default_source(context, serverName.c_str(), Request::success, &r);
    }, "set the default device");
    if (status == AudioStatus::Ok && request.failed) {
        qCWarning(lcPulseAudio, "the sound server refused to make %s the default %s", serverName.c_str(),
                  scopeName(scope));
        return AudioStatus::ServerError;
    }
    return status;
}

// Returns once the server reports the new default, within the request
// bound: PipeWire acknowledges the request before its session manager has
// made the change. A session manager busy with an earlier change may keep
// its own choice, and a connection may miss the change: after a quarter of
// the bound the request is made once more, over a new connection.
int PulseAudioSystem::setDefaultDevice(AudioScope scope, AudioObjectID device)
{
    DeviceInfo info;
    int status = query(device, scope, info, "set the default device");
    if (status != AudioStatus::Ok) {
        if (status == AudioStatus::NoSuchDevice)
            qCWarning(lcPulseAudio, "cannot make %u the default %s: no such %s device", device,
                      scopeName(scope), scopeName(scope));
        return status;
    }
    const std::string& serverName = info.serverName;
    std::string current;
    for (int attempt = 0; attempt < 2; ++attempt) {
        status = requestDefault(scope, serverName);
        if (status == AudioStatus::Ok)
            status = waitForDefault(scope, serverName, attempt == 0 ? m_timeout / 4 : m_timeout / 2, current);
        if (status != AudioStatus::Timeout)
            return status;
        // This connection may be the one that no longer hears of changes
        // to the defaults; the second request goes over a new one.
        if (attempt == 0 && renewConnection(m_timeout / 4))
            qCInfo(lcPulseAudio, "still told %s is the default %s; asking again over a new connection",
                   current.empty() ? "none" : current.c_str(), scopeName(scope));
    }
    qCWarning(lcPulseAudio, "the sound server accepted %s as the default %s but still reports %s after %lld ms",
              serverName.c_str(), scopeName(scope), current.empty() ? "none" : current.c_str(),
              static_cast<long long>(m_timeout.count()));
    return status;
}

bool PulseAudioSystem::hasMainVolume(AudioObjectID device, AudioScope scope)
{
    DeviceInfo info;
    return query(device, scope, info, "look for a main volume") == AudioStatus::Ok
        && pa_cvolume_valid(&info.volume) && info.volume.channels > 0;
}

int PulseAudioSystem::volumeScalar(AudioObjectID device, AudioScope scope, float& scalar)
{
    if (m_loop && pa_threaded_mainloop_in_thread(m_loop.get())) {
        // A listener procedure reading the value it was called for: answer
        // from the information that has just arrived.
        for (const auto& [key, watched] : m_watched) {
            if (key.first == scope && watched.id == device) {
                scalar = watched.scalar;
                return AudioStatus::Ok;
            }
        }
        return AudioStatus::NoSuchDevice;
    }
    DeviceInfo info;
    const int status = query(device, scope, info, "read a volume");
    if (status != AudioStatus::Ok)
        return status;
    PulseLoopLock lock(m_loop.get());
    scalar = scalarOfLocked({scope, info.serverName}, pa_cvolume_max(&info.volume));
    return AudioStatus::Ok;
}

int PulseAudioSystem::setVolumeScalar(AudioObjectID device, AudioScope scope, float scalar)
{
    if (!isVolume(scalar)) {
        qCWarning(lcPulseAudio, "refusing to set the %s volume of %u to %g", scopeName(scope), device,
                  static_cast<double>(scalar));
        return AudioStatus::BadValue;
    }
    DeviceInfo info;
    int status = query(device, scope, info, "set a volume");
    if (status != AudioStatus::Ok)
        return status;
    const pa_volume_t raw = rawVolumeOf(scalar);
    // The loudest channel gets the value and the others keep their share.
    pa_cvolume volume = info.volume;
    pa_cvolume_scale(&volume, raw);
    const DeviceKey key{scope, info.serverName};
    const std::uint32_t index = indexOf(device);
    Request request;
    status = run(request, [&, this](pa_context* context, Request& r) {
        // Recorded before the server can report the change back.
        m_setScalars[key] = SetScalar{raw, scalar};
        return scope == AudioScope::Output
            ? pa_context_set_sink_volume_by_index(context, index, &volume, Request::success, &r)
            : pa_context_set_source_volume_by_index(context, index, &volume, Request::success, &r);
    }, "set a volume");
    if (status != AudioStatus::Ok)
        return status;
    {
        // The caller knows this outcome; volumes sent later are told
        // against it.
        PulseLoopLock lock(m_loop.get());
        m_volumeRefused[scope] = request.failed;
    }
    if (request.failed) {
        qCWarning(lcPulseAudio, "the sound server refused the %s volume of %s", scopeName(scope),
                  info.serverName.c_str());
        return AudioStatus::ServerError;
    }
    return AudioStatus::Ok;
}

// Sent from what the subscriptions told of the default: no round trip
// before, none waited for after. Writes leave in order on the one
// connection, so the server applies the last one last.
int PulseAudioSystem::sendDefaultVolume(AudioScope scope, float scalar)
{
    if (!isVolume(scalar)) {
        qCWarning(lcPulseAudio, "refusing to set the default %s volume to %g", scopeName(scope),
                  static_cast<double>(scalar));
        return AudioStatus::BadValue;
    }
    if (!m_loop)
        return AudioStatus::NotConnected;
    PulseLoopLock lock(m_loop.get());
    if (!m_connected)
        return AudioStatus::NotConnected;
    const FollowedDefault& followed = m_defaults[scope];
    if (followed.id == kAudioObjectUnknown)
        return AudioStatus::NoSuchDevice;
    if (!pa_cvolume_valid(&followed.volume) || followed.volume.channels == 0)
        return AudioStatus::NoMainVolume;
    const pa_volume_t raw = rawVolumeOf(scalar);
    // The loudest channel gets the value and the others keep their share.
    pa_cvolume volume = followed.volume;
    pa_cvolume_scale(&volume, raw);
    // Recorded before the server can report the change back.
    m_setScalars[{scope, followed.serverName}] = SetScalar{raw, scalar};
    pa_context* context = m_context.get();
    const std::uint32_t index = indexOf(followed.id);
    PulseOperationPtr operation(
        scope == AudioScope::Output
            ? pa_context_set_sink_volume_by_index(context, index, &volume, sinkVolumeSentThunk, this)
            : pa_context_set_source_volume_by_index(context, index, &volume, sourceVolumeSentThunk, this));
    if (!operation) {
        qCWarning(lcPulseAudio, "cannot send the %s volume of %s: %s", scopeName(scope),
                  followed.serverName.c_str(), pa_strerror(pa_context_errno(context)));
        return AudioStatus::ServerError;
    }
    ++m_volumesSent;
    if (!m_sentBound->isActive()) {
        m_sentAtBound = m_volumesSent;
        m_sentBound->start(m_timeout);
    }
    return AudioStatus::Ok;
}

AudioObjectID PulseAudioSystem::followedDefault(AudioScope scope) const
{
    if (!m_loop)
        return kAudioObjectUnknown;
    PulseLoopLock lock(m_loop.get());
    const auto found = m_defaults.find(scope);
    return found == m_defaults.end() ? kAudioObjectUnknown : found->second.id;
}

// Registered at once; the device's name, by which the registration follows
// it, and its volume come with the server's answer, which no call waits for.
int PulseAudioSystem::addVolumeListener(AudioObjectID device, AudioScope scope,
                                        AudioVolumeListenerProc proc, void* clientData)
{
    if (!proc) {
        qCWarning(lcPulseAudio, "refusing a volume listener without a procedure");
        return AudioStatus::BadValue;
    }
    if (!isValidId(device) || scopeOf(device) != scope)
        return AudioStatus::NoSuchDevice;
    if (!m_loop)
        return AudioStatus::NotConnected;
    PulseLoopLock lock(m_loop.get());
    if (!m_connected)
        return AudioStatus::NotConnected;
    const bool known = std::any_of(m_listeners.begin(), m_listeners.end(), [&](const Listener& l) {
        return l.device.first == scope && l.registeredId == device && l.proc == proc && l.clientData == clientData;
    });
    if (!known)
        m_listeners.push_back(Listener{{scope, std::string()}, proc, clientData, device});
    pa_context* context = m_context.get();
    const std::uint32_t index = indexOf(device);
    PulseOperationPtr info(scope == AudioScope::Output
                               ? pa_context_get_sink_info_by_index(context, index, watchedSinkThunk, this)
                               : pa_context_get_source_info_by_index(context, index, watchedSourceThunk, this));
    if (!info) {
        qCWarning(lcPulseAudio, "cannot read the listened %s device %u: %s", scopeName(scope), device,
                  pa_strerror(pa_context_errno(context)));
        return AudioStatus::ServerError;
    }
    return AudioStatus::Ok;
}

int PulseAudioSystem::removeVolumeListener(AudioObjectID device, AudioScope scope,
                                           AudioVolumeListenerProc proc, void* clientData)
{
    if (!m_loop)
        return AudioStatus::NotRegistered;
    // Needs no server: the registration is ours, found by the id it was
    // added on or the id its device was last seen under.
    PulseLoopLock lock(m_loop.get());
    const auto removed = std::remove_if(m_listeners.begin(), m_listeners.end(), [&](const Listener& l) {
        if (l.device.first != scope || l.proc != proc || l.clientData != clientData)
            return false;
        if (l.registeredId == device)
            return true;
        const auto watched = m_watched.find(l.device);
        return watched != m_watched.end() && watched->second.id == device;
    });
    if (removed == m_listeners.end())
        return AudioStatus::NotRegistered;
    m_listeners.erase(removed, m_listeners.end());
    std::erase_if(m_watched, [this](const auto& entry) {
        return std::none_of(m_listeners.begin(), m_listeners.end(),
                            [&entry](const Listener& l) { return l.device == entry.first; });
    });
    return AudioStatus::Ok;
}

void PulseAudioSystem::setEventListener(AudioSystemEventProc proc, void* clientData)
{
    if (!m_loop)
        return;
    PulseLoopLock lock(m_loop.get());
    m_eventProc = proc;
    m_eventClientData = clientData;
}

// ---- Requests that never wait (main thread) ----

void PulseAudioSystem::send(const Start& start, const char* what, Answered answered)
{
    auto pending = std::make_shared<Pending>();
    pending->self = pending;
    pending->what = what;
    pending->system = this;
    pending->answered = std::move(answered);
    int status = AudioStatus::Ok;
    if (!m_loop) {
        status = AudioStatus::NotConnected;
    } else {
        PulseLoopLock lock(m_loop.get());
        // The outage itself has been logged once.
        if (!m_connected) {
            status = AudioStatus::NotConnected;
        } else {
            pending->operation.reset(start(m_context.get(), pending->answer));
            if (!pending->operation) {
                qCWarning(lcPulseAudio, "%s: %s", what, pa_strerror(pa_context_errno(m_context.get())));
                status = AudioStatus::ServerError;
            } else {
                pa_operation_set_state_callback(pending->operation.get(), Pending::operationState, pending.get());
            }
        }
    }
    m_pending.push_back(pending);
    if (status != AudioStatus::Ok) {
        // Never within the call.
        QMetaObject::invokeMethod(m_mainThread.get(), [this, pending, status] { finish(pending, status); },
                                  Qt::QueuedConnection);
        return;
    }
    pending->bound.setSingleShot(true);
    QObject::connect(&pending->bound, &QTimer::timeout, m_mainThread.get(),
                     [this, pending] { finish(pending, AudioStatus::Timeout); });
    pending->bound.start(m_timeout);
}

// Main thread: the request's one answer. An unanswered request leaves the
// server treated as gone, so the next requests fail at once; the
// reconnection finds it again once it answers.
void PulseAudioSystem::finish(const std::shared_ptr<Pending>& pending, int answered)
{
    const auto found = std::find(m_pending.begin(), m_pending.end(), pending);
    if (found == m_pending.end())
        return;
    m_pending.erase(found);
    int status = answered;
    pending->bound.stop();
    if (pending->operation) {
        PulseLoopLock lock(m_loop.get());
        // A main thread held up past the bound may find the answer in
        // already, its hand-over still queued behind the timer.
        const pa_operation_state_t state = pa_operation_get_state(pending->operation.get());
        if (status == AudioStatus::Timeout && state != PA_OPERATION_RUNNING)
            status = state == PA_OPERATION_DONE ? AudioStatus::Ok : AudioStatus::NotConnected;
        pa_operation_set_state_callback(pending->operation.get(), nullptr, nullptr);
        if (pa_operation_get_state(pending->operation.get()) == PA_OPERATION_RUNNING)
            pa_operation_cancel(pending->operation.get());
        pending->operation.reset();
        if (status == AudioStatus::Timeout) {
            qCWarning(lcPulseAudio, "%s: the sound server did not answer within %lld ms", pending->what,
                      static_cast<long long>(m_timeout.count()));
            if (m_connected)
                pa_context_disconnect(m_context.get());
        }
    }
    if (status == AudioStatus::NotConnected && pending->answer.cancelled)
        qCWarning(lcPulseAudio, "%s: the sound server went away", pending->what);
    pending->answered(status, pending->answer);
}

void PulseAudioSystem::sendQuery(AudioObjectID device, AudioScope scope, const char* what,
                                 std::function<void(int status, const DeviceInfo& info)> answered)
{
    if (!isValidId(device) || scopeOf(device) != scope) {
        QMetaObject::invokeMethod(m_mainThread.get(), [answered = std::move(answered)] {
            answered(AudioStatus::NoSuchDevice, DeviceInfo{});
        }, Qt::QueuedConnection);
        return;
    }
    const std::uint32_t index = indexOf(device);
    send([index, scope](pa_context* context, Request& r) {
        return scope == AudioScope::Output
            ? pa_context_get_sink_info_by_index(context, index, Request::sinkInfo, &r)
            : pa_context_get_source_info_by_index(context, index, Request::sourceInfo, &r);
    }, what, [answered = std::move(answered)](int status, Request& r) {
        if (status == AudioStatus::Ok && (r.failed || r.devices.empty()))
            status = AudioStatus::NoSuchDevice;
        answered(status, status == AudioStatus::Ok ? r.devices.front() : DeviceInfo{});
    });
}

void PulseAudioSystem::requestDevices(AudioDevicesDone done)
{
    auto devices = std::make_shared<std::vector<AudioDeviceNames>>();
    send([](pa_context* context, Request& r) {
        return pa_context_get_sink_info_list(context, Request::sinkInfo, &r);
    }, "list output devices", [this, devices, done = std::move(done)](int status, Request& sinks) mutable {
        if (status == AudioStatus::Ok && sinks.failed)
            status = AudioStatus::ServerError;
        if (status != AudioStatus::Ok)
            return done(status, {});
        for (const DeviceInfo& sink : sinks.devices)
            devices->push_back(AudioDeviceNames{sink.id, sink.name, std::nullopt});
        send([](pa_context* context, Request& r) {
            r.skipMonitors = true;
            return pa_context_get_source_info_list(context, Request::sourceInfo, &r);
        }, "list input devices", [devices, done = std::move(done)](int listed, Request& sources) {
            if (listed == AudioStatus::Ok && sources.failed) {
                qCWarning(lcPulseAudio, "the sound server refused to list its devices");
                listed = AudioStatus::ServerError;
            }
            if (listed != AudioStatus::Ok)
                return done(listed, {});
            for (const DeviceInfo& source : sources.devices)
                devices->push_back(AudioDeviceNames{source.id, std::nullopt, source.name});
            done(AudioStatus::Ok, std::move(*devices));
        });
    });
}

// A new default asked for and then checked until the server reports it:
// PipeWire acknowledges the request before its session manager makes the
// change. Read again on the server's change events and every 50 ms; after
// a quarter of the bound the request is made once more, and the defaults
// witness looks whether our connection still hears of changes.
struct PulseAudioSystem::DefaultCheck {
    AudioScope scope = AudioScope::Output;
    std::string serverName;
    std::string current;
    AudioDone done;
    QDeadlineTimer deadline;
    bool askedAgain = false;
};

void PulseAudioSystem::requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done)
{
    sendQuery(device, scope, "set the default device",
              [this, scope, device, done = std::move(done)](int status, const DeviceInfo& info) mutable {
        if (status != AudioStatus::Ok) {
            if (status == AudioStatus::NoSuchDevice)
                qCWarning(lcPulseAudio, "cannot make %u the default %s: no such %s device", device,
                          scopeName(scope), scopeName(scope));
            return done(status);
        }
        auto check = std::make_shared<DefaultCheck>();
        check->scope = scope;
        check->serverName = info.serverName;
        check->done = std::move(done);
        check->deadline = QDeadlineTimer(m_timeout);
        const auto ask = [this, check] {
            send([check](pa_context* context, Request& r) {
                return check->scope == AudioScope::Output
                    ? pa_context_set_default_sink(context, check->serverName.c_str(), Request::success, &r)
                    : pa_context_set_default_source(context, check->serverName.c_str(), Request::success, &r);
            }, "set the default device", [this, check](int asked, Request& r) {
                if (asked == AudioStatus::Ok && r.failed) {
                    qCWarning(lcPulseAudio, "the sound server refused to make %s the default %s",
                              check->serverName.c_str(), scopeName(check->scope));
                    asked = AudioStatus::ServerError;
                }
                if (asked != AudioStatus::Ok)
                    return check->done(asked);
                checkDefault(check);
            });
        };
        ask();
    });
}

void PulseAudioSystem::checkDefault(const std::shared_ptr<DefaultCheck>& check)
{
    send([](pa_context* context, Request& r) {
        return pa_context_get_server_info(context, Request::serverInfo, &r);
    }, "read the default devices", [this, check](int status, Request& server) {
        if (status == AudioStatus::Ok && server.failed)
            status = AudioStatus::ServerError;
        if (status != AudioStatus::Ok)
            return check->done(status);
        check->current = check->scope == AudioScope::Output ? server.defaultSink : server.defaultSource;
        if (check->current == check->serverName)
            return check->done(AudioStatus::Ok);
        if (check->deadline.hasExpired()) {
            qCWarning(lcPulseAudio, "the sound server accepted %s as the default %s but still reports %s after %lld ms",
                      check->serverName.c_str(), scopeName(check->scope),
                      check->current.empty() ? "none" : check->current.c_str(),
                      static_cast<long long>(m_timeout.count()));
            return check->done(AudioStatus::NotCarriedOut);
        }
        if (!check->askedAgain && check->deadline.remainingTime() < m_timeout.count() * 3 / 4) {
            // A session manager busy with an earlier change may keep its own
            // choice, and our connection may no longer hear of changes.
            check->askedAgain = true;
            qCInfo(lcPulseAudio, "still told %s is the default %s; asking again",
                   check->current.empty() ? "none" : check->current.c_str(), scopeName(check->scope));
            {
                PulseLoopLock lock(m_loop.get());
                m_witness->suspect();
            }
            send([check](pa_context* context, Request& r) {
                return check->scope == AudioScope::Output
                    ? pa_context_set_default_sink(context, check->serverName.c_str(), Request::success, &r)
                    : pa_context_set_default_source(context, check->serverName.c_str(), Request::success, &r);
            }, "set the default device", [](int, Request&) {});
        }
        QTimer::singleShot(50, m_mainThread.get(), [this, check] { checkDefault(check); });
    });
}

void PulseAudioSystem::requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done)
{
    if (!isVolume(scalar)) {
        qCWarning(lcPulseAudio, "refusing to set the %s volume of %u to %g", scopeName(scope), device,
                  static_cast<double>(scalar));
        QMetaObject::invokeMethod(m_mainThread.get(), [done = std::move(done)] { done(AudioStatus::BadValue); },
                                  Qt::QueuedConnection);
        return;
    }
    sendQuery(device, scope, "set a volume",
              [this, device, scope, scalar, done = std::move(done)](int status, const DeviceInfo& info) mutable {
        if (status != AudioStatus::Ok)
            return done(status);
        if (!pa_cvolume_valid(&info.volume) || info.volume.channels == 0)
            return done(AudioStatus::NoMainVolume);
        const pa_volume_t raw = rawVolumeOf(scalar);
        // The loudest channel gets the value and the others keep their share.
        pa_cvolume volume = info.volume;
        pa_cvolume_scale(&volume, raw);
        const DeviceKey key{scope, info.serverName};
        const std::uint32_t index = indexOf(device);
        send([this, key, raw, scalar, volume, index, scope](pa_context* context, Request& r) {
            // Recorded before the server can report the change back.
            m_setScalars[key] = SetScalar{raw, scalar};
            return scope == AudioScope::Output
                ? pa_context_set_sink_volume_by_index(context, index, &volume, Request::success, &r)
                : pa_context_set_source_volume_by_index(context, index, &volume, Request::success, &r);
        }, "set a volume", [this, scope, key, done = std::move(done)](int sent, Request& r) {
            if (sent != AudioStatus::Ok)
                return done(sent);
            {
                // The caller knows this outcome; volumes sent later are told
                // against it.
                PulseLoopLock lock(m_loop.get());
                m_volumeRefused[scope] = r.failed;
            }
            if (r.failed) {
                qCWarning(lcPulseAudio, "the sound server refused the %s volume of %s", scopeName(scope),
                          key.second.c_str());
                return done(AudioStatus::ServerError);
            }
            done(AudioStatus::Ok);
        });
    });
}

// ---- Trampolines (main loop thread) ----

void PulseAudioSystem::contextStateThunk(pa_context* context, void* self)
{
    static_cast<PulseAudioSystem*>(self)->onContextState(context);
}

void PulseAudioSystem::renewalStateThunk(pa_context* context, void* self)
{
    static_cast<PulseAudioSystem*>(self)->onRenewalState(context);
}

void PulseAudioSystem::subscribeThunk(pa_context*, pa_subscription_event_type_t type, std::uint32_t index,
                                      void* self)
{
    static_cast<PulseAudioSystem*>(self)->onSubscription(type, index);
}

void PulseAudioSystem::reconnectThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval*,
                                      void* self)
{
    auto* system = static_cast<PulseAudioSystem*>(self);
    api->time_free(event);
    system->m_reconnect = nullptr;
    system->connectLocked();
}

void PulseAudioSystem::watchedSinkThunk(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    if (eol == 0 && info)
        static_cast<PulseAudioSystem*>(self)->onDeviceInfo(
            DeviceInfo::from(*info, sinkId(info->index), AudioScope::Output));
}

void PulseAudioSystem::watchedSourceThunk(pa_context*, const pa_source_info* info, int eol, void* self)
{
    if (eol == 0 && info)
        static_cast<PulseAudioSystem*>(self)->onDeviceInfo(
            DeviceInfo::from(*info, sourceId(info->index), AudioScope::Input));
}

void PulseAudioSystem::serverInfoThunk(pa_context*, const pa_server_info* info, void* self)
{
    static_cast<PulseAudioSystem*>(self)->onServerInfo(info);
}

void PulseAudioSystem::sinkVolumeSentThunk(pa_context*, int ok, void* self)
{
    static_cast<PulseAudioSystem*>(self)->onVolumeSent(AudioScope::Output, ok != 0);
}

void PulseAudioSystem::sourceVolumeSentThunk(pa_context*, int ok, void* self)
{
    static_cast<PulseAudioSystem*>(self)->onVolumeSent(AudioScope::Input, ok != 0);
}
