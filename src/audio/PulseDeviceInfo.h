#pragma once

#include "audio/AudioSystem.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/volume.h>

// What the backend knows of one sink or source, and how its devices are
// named towards the panel.
//
// Ids of our own: sinks and sources have separate index spaces on the
// server, so the lowest bit tells them apart and 0 stays "no device".
namespace pulseid {

inline AudioObjectID sink(std::uint32_t index)
{
    return (index + 1) << 1;
}

inline AudioObjectID source(std::uint32_t index)
{
    return ((index + 1) << 1) | 1u;
}

inline bool valid(AudioObjectID id)
{
    return id >= 2;
}

inline AudioScope scopeOf(AudioObjectID id)
{
    return (id & 1u) ? AudioScope::Input : AudioScope::Output;
}

inline std::uint32_t indexOf(AudioObjectID id)
{
    return (id >> 1) - 1;
}

// Whether `id` names a device of `scope`.
inline bool fits(AudioObjectID id, AudioScope scope)
{
    return valid(id) && scopeOf(id) == scope;
}

} // namespace pulseid

inline const char* pulseScopeName(AudioScope scope)
{
    return scope == AudioScope::Output ? "output" : "input";
}

// The server's volume for a scalar the caller has checked.
inline pa_volume_t pulseRawVolume(float scalar)
{
    const double wanted = std::round(static_cast<double>(scalar) * PA_VOLUME_NORM);
    return static_cast<pa_volume_t>(std::min(wanted, static_cast<double>(PA_VOLUME_MAX)));
}

inline bool isAudioVolume(float scalar)
{
    return std::isfinite(scalar) && scalar >= 0.0f;
}

// Asks for one device's information, by server name when given, else by
// index; the answer goes to `sink` or `source` on the main loop thread.
// Null when the request cannot be sent. Called with the loop locked.
inline pa_operation* pulseRequestDeviceInfo(pa_context* context, AudioScope scope, const char* serverName,
                                           std::uint32_t index, pa_sink_info_cb_t sink,
                                           pa_source_info_cb_t source, void* userdata)
{
    const bool output = scope == AudioScope::Output;
    if (serverName)
        return output ? pa_context_get_sink_info_by_name(context, serverName, sink, userdata)
                      : pa_context_get_source_info_by_name(context, serverName, source, userdata);
    return output ? pa_context_get_sink_info_by_index(context, index, sink, userdata)
                  : pa_context_get_source_info_by_index(context, index, source, userdata);
}

// A device the server knows by this name in this direction.
using PulseDeviceKey = std::pair<AudioScope, std::string>;

struct PulseDeviceInfo {
    AudioObjectID id = kAudioObjectUnknown;
    AudioScope scope = AudioScope::Output;
    std::string serverName;
    std::string name; // what the user knows the device by
    pa_cvolume volume{};
    bool monitor = false;

    bool hasMainVolume() const { return pa_cvolume_valid(&volume) && volume.channels > 0; }

    static PulseDeviceInfo of(const pa_sink_info& info)
    {
        return from(info, pulseid::sink(info.index), AudioScope::Output);
    }

    static PulseDeviceInfo of(const pa_source_info& info)
    {
        PulseDeviceInfo d = from(info, pulseid::source(info.index), AudioScope::Input);
        d.monitor = info.monitor_of_sink != PA_INVALID_INDEX;
        return d;
    }

private:
    // A device's name is its product name, else its description.
    template <typename Info>
    static PulseDeviceInfo from(const Info& info, AudioObjectID id, AudioScope scope)
    {
        PulseDeviceInfo d;
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
