#pragma once

#include "audio/AudioSystem.h"
#include "audio/PulseConnection.h"
#include "audio/PulseDefaultFollower.h"
#include "audio/PulseDeviceInfo.h"
#include "audio/PulseSetScalars.h"
#include "audio/PulseDeviceRequests.h"
#include "audio/PulseRequestRunner.h"
#include "audio/PulseVolumeWatch.h"
#include "audio/PulseVolumeWriter.h"

#include <chrono>
#include <memory>

// The audio system of a PulseAudio or PipeWire (pipewire-pulse) server,
// through libpulse, composed of one part per concern on one connection
// (PulseConnection), which the spectrum's capture shares:
// PulseDefaultFollower follows the default sink and source,
// PulseVolumeWriter sets volumes, PulseDeviceRequests asks for devices and
// defaults, PulseVolumeWatch tells registered listeners of volume changes.
//
// Devices are the server's sinks (output only) followed by its sources that
// are not monitors (input only), each in the server's order. A device's name
// is its product name ("device.product.name"), else its description. The
// main volume is the loudest channel over PA_VOLUME_NORM, as desktop mixers
// show it; setting it scales every channel in proportion, so a balance
// survives.
//
// The request*() calls send and return; the answer comes back to the main
// thread's event loop, or Timeout once the bound has passed on a timer.
// hasMainVolume() waits for the server's answer at most `timeout`. Without
// a server every request fails with AudioStatus::NotConnected. When the
// connection drops the backend keeps trying to reconnect in the background;
// once back, registered volume listeners follow their devices again (by
// device name, since the server hands out new ids) and the event listener
// hears AudioSystemEvent::Reconnected. A server that stops answering while
// linked is noticed by the capture's silence or, without one, by a request
// every few seconds, and announced as AudioSystemEvent::Lost.
class PulseAudioSystem final : public AudioSystem, private PulseConnection::Observer {
public:
    explicit PulseAudioSystem(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000),
                              std::chrono::milliseconds reconnectInterval = std::chrono::milliseconds(500));
    ~PulseAudioSystem() override;
    PulseAudioSystem(const PulseAudioSystem&) = delete;
    PulseAudioSystem& operator=(const PulseAudioSystem&) = delete;

    // The connection, for the capture to share. It stops with the system.
    std::shared_ptr<PulseConnection> connection() const { return m_connection; }

    // Whether the server connection is up right now (any thread).
    bool isConnected() const override;
    // Waits at most `timeout` for the connection to be up (main thread).
    bool waitForConnection(std::chrono::milliseconds timeout);

    bool hasMainVolume(AudioObjectID device, AudioScope scope) override;
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
    // Loop thread: what the system announces of the connection.
    void connectionReady(pa_context* context, Ready how) override;
    void connectionLost(int error) override;
    void serverEvent(pa_subscription_event_type_t type, std::uint32_t index) override;
    // Loop locked.
    void announce(AudioSystemEvent event);

    std::shared_ptr<PulseConnection> m_connection;
    // Guarded by the loop's lock, as are the parts' own states.
    PulseSetScalars m_setScalars;
    std::unique_ptr<PulseRequestRunner> m_runner;
    std::unique_ptr<PulseDefaultFollower> m_follower;
    std::unique_ptr<PulseDeviceRequests> m_requests;
    std::unique_ptr<PulseVolumeWriter> m_writer;
    std::unique_ptr<PulseVolumeWatch> m_watch;
    AudioSystemEventProc m_eventProc = nullptr;
    void* m_eventClientData = nullptr;
};
