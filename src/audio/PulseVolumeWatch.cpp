#include "audio/PulseVolumeWatch.h"

#include <QLoggingCategory>

#include <algorithm>
#include <iterator>

#include <pulse/error.h>

Q_DECLARE_LOGGING_CATEGORY(lcPulseAudio)

PulseVolumeWatch::PulseVolumeWatch(PulseConnection& connection, const PulseSetScalars& setScalars)
    : m_connection(connection)
    , m_setScalars(setScalars)
{
}

// Registered at once; the device's name and its volume come with the
// server's answer, which no call waits for.
int PulseVolumeWatch::add(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc, void* clientData)
{
    if (!proc) {
        qCWarning(lcPulseAudio, "refusing a volume listener without a procedure");
        return AudioStatus::BadValue;
    }
    if (!pulseid::fits(device, scope))
        return AudioStatus::NoSuchDevice;
    if (!m_connection.isConnected())
        return AudioStatus::NotConnected;
    const bool known = std::any_of(m_listeners.begin(), m_listeners.end(), [&](const Listener& l) {
        return l.device.first == scope && l.registeredId == device && l.proc == proc && l.clientData == clientData;
    });
    if (!known)
        m_listeners.push_back(Listener{{scope, std::string()}, proc, clientData, device});
    m_connection.keepWatch(true);
    return read(scope, nullptr, pulseid::indexOf(device)) ? AudioStatus::Ok : AudioStatus::ServerError;
}

// Needs no server: the registration is ours, found by the id it was added
// on or the id its device was last seen under.
int PulseVolumeWatch::remove(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc, void* clientData)
{
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
    m_connection.keepWatch(!m_listeners.empty());
    return AudioStatus::Ok;
}

// Every listened device is asked for again, by name: ids may be new.
void PulseVolumeWatch::connectionReady(pa_context*, Ready)
{
    for (const auto& [key, watched] : m_watched)
        read(key.first, key.second.c_str(), 0);
}

void PulseVolumeWatch::serverEvent(pa_subscription_event_type_t type, std::uint32_t index)
{
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE
        || (facility != PA_SUBSCRIPTION_EVENT_SINK && facility != PA_SUBSCRIPTION_EVENT_SOURCE))
        return;
    const AudioScope scope = facility == PA_SUBSCRIPTION_EVENT_SINK ? AudioScope::Output : AudioScope::Input;
    const bool watching = std::any_of(m_watched.begin(), m_watched.end(),
                                      [scope](const auto& entry) { return entry.first.first == scope; });
    if (watching)
        read(scope, nullptr, index);
}

// By server name when given, else by index.
bool PulseVolumeWatch::read(AudioScope scope, const char* serverName, std::uint32_t index)
{
    pa_context* context = m_connection.context();
    PulseOperationPtr info(pulseRequestDeviceInfo(context, scope, serverName, index, sinkThunk, sourceThunk, this));
    if (!info)
        qCWarning(lcPulseAudio, "cannot read the listened %s device %s: %s", pulseScopeName(scope),
                  serverName ? serverName : std::to_string(index).c_str(), pa_strerror(pa_context_errno(context)));
    return info != nullptr;
}

// Registrations waiting for their device's name get it; its volume now is
// where changes are told from. A second registration of the same device
// keeps one.
void PulseVolumeWatch::adoptNamed(const PulseDeviceInfo& info)
{
    const PulseDeviceKey key{info.scope, info.serverName};
    for (auto l = m_listeners.begin(); l != m_listeners.end();) {
        if (!l->device.second.empty() || l->device.first != info.scope || l->registeredId != info.id) {
            ++l;
            continue;
        }
        auto [entry, added] = m_watched.try_emplace(key);
        entry->second.id = info.id;
        if (added)
            entry->second.raw = pa_cvolume_max(&info.volume);
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
}

// Fresh information on a device that may be listened to; a new volume is
// told to its listeners with its value.
void PulseVolumeWatch::onDeviceInfo(const PulseDeviceInfo& info)
{
    const PulseDeviceKey key{info.scope, info.serverName};
    const auto before = m_watched.find(key);
    const AudioObjectID previousId = before == m_watched.end() ? info.id : before->second.id;
    adoptNamed(info);
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
    const float scalar = m_setScalars.scalarOf(key, raw);

    // A procedure may remove its own registration; call from a copy.
    std::vector<Listener> listeners;
    std::copy_if(m_listeners.begin(), m_listeners.end(), std::back_inserter(listeners),
                 [&key](const Listener& l) { return l.device == key; });
    for (const Listener& listener : listeners)
        listener.proc(info.id, info.scope, scalar, listener.clientData);
}

// ---- Trampolines (loop thread) ----

void PulseVolumeWatch::sinkThunk(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    if (eol == 0 && info)
        static_cast<PulseVolumeWatch*>(self)->onDeviceInfo(PulseDeviceInfo::of(*info));
}

void PulseVolumeWatch::sourceThunk(pa_context*, const pa_source_info* info, int eol, void* self)
{
    if (eol == 0 && info)
        static_cast<PulseVolumeWatch*>(self)->onDeviceInfo(PulseDeviceInfo::of(*info));
}
