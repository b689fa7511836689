#pragma once

#include "audio/AudioSystem.h"
#include "audio/PulseConnection.h"
#include "audio/PulseDefaultsWitness.h"
#include "audio/PulseDeviceInfo.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

// What is known of the server's default device in one direction.
struct PulseFollowedDefault {
    std::string serverName; // empty: the server has not said
    AudioObjectID id = kAudioObjectUnknown; // unknown until its information arrives
    pa_cvolume volume{};
};

// Follows the server's default sink and source through the connection's
// events: their server names, ids and channel volumes, told with their
// values whenever one changes (unknown ones while the server is gone). With
// PulseDefaultsWitness it notices a connection that stopped hearing of
// changed defaults and hands the witness's fresh one to the connection.
//
// Everything runs on the loop's thread or with its lock held.
class PulseDefaultFollower final : public PulseConnection::Observer {
public:
    using Changed = std::function<void(AudioScope scope, const PulseFollowedDefault& followed)>;

    PulseDefaultFollower(PulseConnection& connection, Changed changed);
    ~PulseDefaultFollower() override;
    PulseDefaultFollower(const PulseDefaultFollower&) = delete;
    PulseDefaultFollower& operator=(const PulseDefaultFollower&) = delete;

    PulseFollowedDefault followed(AudioScope scope) const;
    // A default asked for does not show: our connection may have stopped
    // hearing of changes.
    void suspectStale() { m_witness.recheck(); }
    // Whether a new connection read `serverName` as the default since then
    // (see PulseDefaultsWitness::freshlyRead).
    bool freshlyRead(AudioScope scope, const std::string& serverName)
    {
        return m_witness.freshlyRead(scope == AudioScope::Output, serverName);
    }

    void connectionReady(pa_context* context, Ready how) override;
    void connectionLost(int error) override;
    void serverEvent(pa_subscription_event_type_t type, std::uint32_t index) override;

private:
    void readDefaults();
    void read(AudioScope scope, const char* serverName, std::uint32_t index);
    void onServerInfo(const pa_server_info* info);
    void onDeviceInfo(const PulseDeviceInfo& info);
    void set(AudioScope scope, PulseFollowedDefault followed);

    static void serverInfoThunk(pa_context* context, const pa_server_info* info, void* self);
    static void sinkThunk(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void sourceThunk(pa_context* context, const pa_source_info* info, int eol, void* self);

    PulseConnection& m_connection;
    Changed m_changed;
    std::map<AudioScope, PulseFollowedDefault> m_defaults;
    PulseDefaultsWitness m_witness;
};
