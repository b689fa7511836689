#include "audio/PulseDefaultFollower.h"

#include <QLoggingCategory>

#include <pulse/error.h>

Q_DECLARE_LOGGING_CATEGORY(lcPulseAudio)

namespace {

bool sameVolume(const pa_cvolume& a, const pa_cvolume& b)
{
    return a.channels == b.channels && (a.channels == 0 || pa_cvolume_equal(&a, &b));
}

} // namespace

PulseDefaultFollower::PulseDefaultFollower(PulseConnection& connection, Changed changed)
    : m_connection(connection)
    , m_changed(std::move(changed))
    , m_witness(
          connection.loop(), [&connection] { return connection.newContext(); },
          [this] { return std::make_pair(m_defaults[AudioScope::Output].serverName,
                                         m_defaults[AudioScope::Input].serverName); },
          [&connection](PulseContextPtr fresh) { connection.takeOver(std::move(fresh)); })
{
}

PulseDefaultFollower::~PulseDefaultFollower() = default;

PulseFollowedDefault PulseDefaultFollower::followed(AudioScope scope) const
{
    const auto found = m_defaults.find(scope);
    return found == m_defaults.end() ? PulseFollowedDefault{} : found->second;
}

void PulseDefaultFollower::connectionReady(pa_context*, Ready)
{
    readDefaults();
}

// The next server has ids and defaults of its own.
void PulseDefaultFollower::connectionLost(int)
{
    m_witness.cancel();
    for (const AudioScope scope : {AudioScope::Output, AudioScope::Input})
        set(scope, PulseFollowedDefault{});
}

void PulseDefaultFollower::serverEvent(pa_subscription_event_type_t type, std::uint32_t index)
{
    const unsigned kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    // A client that leaves may have changed a default (or be the one that
    // left PipeWire telling no connection of it); so may a card or device
    // that comes or goes.
    const bool comesOrGoes = kind == PA_SUBSCRIPTION_EVENT_NEW || kind == PA_SUBSCRIPTION_EVENT_REMOVE;
    if (facility == PA_SUBSCRIPTION_EVENT_CLIENT) {
        if (kind == PA_SUBSCRIPTION_EVENT_REMOVE && !m_witness.isOwnClient(index))
            m_witness.suspect();
        return;
    }
    if (facility == PA_SUBSCRIPTION_EVENT_CARD) {
        m_witness.suspect();
        return;
    }
    const bool device = facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE;
    if (comesOrGoes && device)
        m_witness.suspect();
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        m_witness.heard();
        readDefaults();
        return;
    }
    if (!device)
        return;
    const AudioScope scope = facility == PA_SUBSCRIPTION_EVENT_SINK ? AudioScope::Output : AudioScope::Input;
    const AudioObjectID id = scope == AudioScope::Output ? pulseid::sink(index) : pulseid::source(index);
    const PulseFollowedDefault& followed = m_defaults[scope];
    if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
        // Until the server names its next default, volumes have nowhere to go.
        if (followed.id == id)
            set(scope, PulseFollowedDefault{followed.serverName});
        return;
    }
    // A default not seen yet may be the device just added.
    if (followed.id == id || (followed.id == kAudioObjectUnknown && !followed.serverName.empty()))
        read(scope, nullptr, index);
}

void PulseDefaultFollower::readDefaults()
{
    pa_context* context = m_connection.context();
    PulseOperationPtr info(pa_context_get_server_info(context, serverInfoThunk, this));
    if (!info)
        qCWarning(lcPulseAudio, "cannot read the default devices: %s", pa_strerror(pa_context_errno(context)));
}

// By server name when given, else by index.
void PulseDefaultFollower::read(AudioScope scope, const char* serverName, std::uint32_t index)
{
    pa_context* context = m_connection.context();
    PulseOperationPtr info(pulseRequestDeviceInfo(context, scope, serverName, index, sinkThunk, sourceThunk, this));
    if (!info)
        qCWarning(lcPulseAudio, "cannot read the default %s device: %s", pulseScopeName(scope),
                  pa_strerror(pa_context_errno(context)));
}

// The server's defaults; a new one is read by name.
void PulseDefaultFollower::onServerInfo(const pa_server_info* info)
{
    if (!info)
        return;
    for (const AudioScope scope : {AudioScope::Output, AudioScope::Input}) {
        const char* name = scope == AudioScope::Output ? info->default_sink_name : info->default_source_name;
        const PulseFollowedDefault& followed = m_defaults[scope];
        if (!name || !*name) {
            set(scope, PulseFollowedDefault{});
            continue;
        }
        if (followed.serverName == name && followed.id != kAudioObjectUnknown)
            continue;
        set(scope, PulseFollowedDefault{name});
        read(scope, name, 0);
    }
}

void PulseDefaultFollower::onDeviceInfo(const PulseDeviceInfo& info)
{
    const PulseFollowedDefault& followed = m_defaults[info.scope];
    if (followed.serverName.empty() || followed.serverName != info.serverName)
        return;
    set(info.scope, PulseFollowedDefault{info.serverName, info.id, info.volume});
}

// Told only when something changed.
void PulseDefaultFollower::set(AudioScope scope, PulseFollowedDefault followed)
{
    PulseFollowedDefault& known = m_defaults[scope];
    if (known.serverName == followed.serverName && known.id == followed.id
        && sameVolume(known.volume, followed.volume))
        return;
    known = std::move(followed);
    if (m_changed)
        m_changed(scope, known);
}

// ---- Trampolines (loop thread) ----

void PulseDefaultFollower::serverInfoThunk(pa_context*, const pa_server_info* info, void* self)
{
    static_cast<PulseDefaultFollower*>(self)->onServerInfo(info);
}

void PulseDefaultFollower::sinkThunk(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    if (eol == 0 && info)
        static_cast<PulseDefaultFollower*>(self)->onDeviceInfo(PulseDeviceInfo::of(*info));
}

void PulseDefaultFollower::sourceThunk(pa_context*, const pa_source_info* info, int eol, void* self)
{
    if (eol == 0 && info)
        static_cast<PulseDefaultFollower*>(self)->onDeviceInfo(PulseDeviceInfo::of(*info));
}
