#pragma once

#include "audio/AudioSystem.h"
#include "audio/PulseConnection.h"
#include "audio/PulseDeviceInfo.h"
#include "audio/PulseSetScalars.h"

#include <map>
#include <vector>

// The registered volume listeners and the devices they watch. A
// registration follows its device by the server's name, which comes with
// the server's answer to the id it was added on; after a reconnect (the
// server hands out new ids) the devices are read again by name. Listeners
// are called with the new scalar on the loop's thread.
//
// While any listener is registered the connection keeps watch on the
// server's silence (the panel is linked).
//
// Everything runs on the loop's thread or with its lock held.
class PulseVolumeWatch final : public PulseConnection::Observer {
public:
    PulseVolumeWatch(PulseConnection& connection, const PulseSetScalars& setScalars);

    int add(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc, void* clientData);
    int remove(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc, void* clientData);

    void connectionReady(pa_context* context, Ready how) override;
    void serverEvent(pa_subscription_event_type_t type, std::uint32_t index) override;

private:
    struct Listener {
        PulseDeviceKey device; // no name yet: waits for the server's answer
        AudioVolumeListenerProc proc;
        void* clientData;
        // The id the caller registered it on; the device may have been
        // given another since (re-added, or the server restarted).
        AudioObjectID registeredId;
    };
    // What is known of a listened device's volume.
    struct Watched {
        AudioObjectID id = kAudioObjectUnknown;
        pa_volume_t raw = PA_VOLUME_MUTED;
    };

    bool read(AudioScope scope, const char* serverName, std::uint32_t index);
    void onDeviceInfo(const PulseDeviceInfo& info);
    void adoptNamed(const PulseDeviceInfo& info);

    static void sinkThunk(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void sourceThunk(pa_context* context, const pa_source_info* info, int eol, void* self);

    PulseConnection& m_connection;
    const PulseSetScalars& m_setScalars;
    std::vector<Listener> m_listeners;
    std::map<PulseDeviceKey, Watched> m_watched;
};
