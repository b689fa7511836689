#pragma once

#include "audio/AudioSystem.h"
#include "audio/PulseDefaultsWitness.h"
#include "audio/PulseHandles.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <QObject>
#include <QTimer>

#include <pulse/introspect.h>
#include <pulse/mainloop-api.h>
#include <pulse/subscribe.h>
#include <pulse/volume.h>

// The audio system of a PulseAudio or PipeWire (pipewire-pulse) server,
// through libpulse on a threaded main loop.
//
// Devices are the server's sinks (output only) followed by its sources that
// are not monitors (input only), each in the server's order. A device's name
// is its product name ("device.product.name"), else its description. The
// main volume is the loudest channel over PA_VOLUME_NORM, as desktop mixers
// show it; setting it scales every channel in proportion, so a balance
// survives.
//
// Setting a default returns once the server reports the new default (PipeWire
// acknowledges the request before its session manager has made the change),
// so reading the default right after gives the device just set.
//
// The backend follows the server's default sink and source (their ids and
// channel volumes) through its change events, so sendDefaultVolume() sends
// from what it knows and never waits; the server's answer comes back on the
// main loop thread, where a refusal is logged and announced.
//
// The request*() calls send and return; the answer comes back to the main
// thread's event loop, or Timeout once the bound has passed on a timer.
// Other requests from the main thread wait for the server's answer at most
// `timeout`; no answer in time is AudioStatus::Timeout. Without a server
// every request fails with AudioStatus::NotConnected. When the connection
// drops the backend keeps trying to reconnect in the background; once back,
// registered volume listeners follow their devices again (by device name,
// since the server hands out new ids) and the event listener hears
// AudioSystemEvent::Reconnected.
class PulseAudioSystem final : public AudioSystem {
public:
    explicit PulseAudioSystem(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000),
                              std::chrono::milliseconds reconnectInterval = std::chrono::milliseconds(500));
    ~PulseAudioSystem() override;
    PulseAudioSystem(const PulseAudioSystem&) = delete;
    PulseAudioSystem& operator=(const PulseAudioSystem&) = delete;

    // Whether the server connection is up right now (any thread).
    bool isConnected() const override;
    // Waits at most `timeout` for the connection to be up (main thread).
    bool waitForConnection(std::chrono::milliseconds timeout);

    int deviceCount(std::uint32_t& count) override;
    int deviceList(AudioObjectID* list, std::uint32_t& count) override;
    int deviceName(AudioObjectID device, AudioScope scope, std::string& name) override;
    int defaultDevice(AudioScope scope, AudioObjectID& device) override;
    int setDefaultDevice(AudioScope scope, AudioObjectID device) override;
    bool hasMainVolume(AudioObjectID device, AudioScope scope) override;
    int volumeScalar(AudioObjectID device, AudioScope scope, float& scalar) override;
    int setVolumeScalar(AudioObjectID device, AudioScope scope, float scalar) override;
    int sendDefaultVolume(AudioScope scope, float scalar) override;
    int addVolumeListener(AudioObjectID device, AudioScope scope,
                          AudioVolumeListenerProc proc, void* clientData) override;
    int removeVolumeListener(AudioObjectID device, AudioScope scope,
                             AudioVolumeListenerProc proc, void* clientData) override;
    void setEventListener(AudioSystemEventProc proc, void* clientData) override;
    void requestDevices(AudioDevicesDone done) override;
    void requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done) override;
    void requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done) override;

    // The default device of `scope` as last reported by the server, the one
    // sendDefaultVolume() sets; unknown while none is known. Never waits.
    AudioObjectID followedDefault(AudioScope scope) const;

private:
    struct DeviceInfo;
    struct Request;
    struct Pending;
    struct DefaultCheck;
    using DeviceKey = std::pair<AudioScope, std::string>; // direction, server name
    struct Listener {
        DeviceKey device;
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
        float scalar = 0.0f;
    };
    // The last scalar set through setVolumeScalar and the raw volume it gave,
    // so reading back an unchanged volume returns exactly what was set.
    struct SetScalar {
        pa_volume_t raw;
        float scalar;
    };
    // What is known of the server's default device in one direction.
    struct FollowedDefault {
        std::string serverName; // empty: the server has not said
        AudioObjectID id = kAudioObjectUnknown; // unknown until its information arrives
        pa_cvolume volume{};
    };
    using Start = std::function<pa_operation*(pa_context*, Request&)>;

    // Main loop thread (or with the loop locked): connection and events.
    PulseContextPtr newContextLocked();
    void connectLocked();
    void onContextState(pa_context* context);
    void followServerLocked();
    void onRenewalState(pa_context* context);
    void onUnavailableLocked(int error);
    void countAttemptLocked();
    void onSubscription(pa_subscription_event_type_t type, std::uint32_t index);
    void takeOverConnectionLocked(PulseContextPtr fresh);
    void announceLocked(AudioSystemEvent event);
    void onDeviceInfo(const DeviceInfo& info);
    void onWatchedInfo(const DeviceInfo& info);
    void refreshWatchedLocked();
    void followDefaultsLocked();
    void onServerInfo(const pa_server_info* info);
    void onVolumeSent(AudioScope scope, bool ok);
    void scheduleReconnectLocked();
    float scalarOfLocked(const DeviceKey& key, pa_volume_t raw) const;

    // Main thread: one request to the server, waited for with the bound.
    int run(Request& request, const Start& start, const char* what);
    int query(AudioObjectID device, AudioScope scope, DeviceInfo& info, const char* what);
    int queryByName(AudioScope scope, const std::string& serverName, DeviceInfo& info, const char* what);
    int queryAll(std::vector<DeviceInfo>& devices);
    int readDefaults(Request& server);
    int requestDefault(AudioScope scope, const std::string& serverName);
    int waitForDefault(AudioScope scope, const std::string& serverName, std::chrono::milliseconds bound,
                       std::string& current);
    bool renewConnection(std::chrono::milliseconds bound);

    // Main thread: requests answered later on the main thread, each within
    // the bound, measured by a timer.
    using Answered = std::function<void(int status, Request& answer)>;
    void send(const Start& start, const char* what, Answered answered);
    void finish(const std::shared_ptr<Pending>& pending, int status);
    void sendQuery(AudioObjectID device, AudioScope scope, const char* what,
                   std::function<void(int status, const DeviceInfo& info)> answered);
    void checkDefault(const std::shared_ptr<DefaultCheck>& check);

    static void contextStateThunk(pa_context* context, void* self);
    static void renewalStateThunk(pa_context* context, void* self);
    static void subscribeThunk(pa_context* context, pa_subscription_event_type_t type,
                               std::uint32_t index, void* self);
    static void reconnectThunk(pa_mainloop_api* api, pa_time_event* event,
                               const struct timeval* when, void* self);
    static void watchedSinkThunk(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void watchedSourceThunk(pa_context* context, const pa_source_info* info, int eol, void* self);
    static void serverInfoThunk(pa_context* context, const pa_server_info* info, void* self);
    static void sinkVolumeSentThunk(pa_context* context, int ok, void* self);
    static void sourceVolumeSentThunk(pa_context* context, int ok, void* self);

    // Lives on the main thread: answers are handed to it, and its timers
    // bound the requests sent without waiting.
    std::unique_ptr<QObject> m_mainThread;
    std::vector<std::shared_ptr<Pending>> m_pending;
    // Bounds the volumes sent without waiting: a server that answers none
    // of them in time counts as gone. Counted on the main thread (sent) and
    // the main loop thread (answered).
    std::unique_ptr<QTimer> m_sentBound;
    std::atomic<std::uint64_t> m_volumesSent{0};
    std::atomic<std::uint64_t> m_volumesAnswered{0};
    std::uint64_t m_sentAtBound = 0; // main thread
    const std::chrono::milliseconds m_timeout;
    const std::chrono::milliseconds m_reconnectInterval;
    PulseMainloopPtr m_loop;
    // Guarded by the main loop's lock.
    PulseContextPtr m_context;
    // A connection opened to take m_context's place (renewConnection).
    PulseContextPtr m_renewal;
    pa_time_event* m_reconnect = nullptr;
    std::unique_ptr<PulseDefaultsWitness> m_witness;
    // The connection the witness's took the place of.
    PulseContextPtr m_retired;
    bool m_outageReported = false;
    bool m_everConnected = false;
    AudioSystemEventProc m_eventProc = nullptr;
    void* m_eventClientData = nullptr;
    std::vector<Listener> m_listeners;
    std::map<DeviceKey, Watched> m_watched;
    std::map<DeviceKey, SetScalar> m_setScalars;
    std::map<AudioScope, FollowedDefault> m_defaults;
    // The last volume sent in that direction was refused (told once).
    std::map<AudioScope, bool> m_volumeRefused;
    // Connection state, readable from any thread.
    std::atomic<bool> m_connected{false};
    std::mutex m_stateMutex;
    std::condition_variable m_stateChanged;
    int m_attempts = 0; // guarded by m_stateMutex
    std::uint64_t m_serverChanges = 0; // guarded by m_stateMutex
    bool m_renewalSettled = false; // guarded by m_stateMutex
};
