#pragma once

#include "audio/AudioSystem.h"
#include "audio/PulseConnection.h"
#include "audio/PulseDefaultFollower.h"
#include "audio/PulseDeviceInfo.h"
#include "audio/PulseSetScalars.h"
#include "audio/PulseRequestRunner.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include <QTimer>

// Sets main volumes. sendDefaultVolume() sends to the default device as the
// follower last told it, with no round trip before and none waited for
// after: writes leave in order on the one connection, so the server applies
// the last one last. The server's answers come back on the loop's thread,
// where a refusal is logged and announced once (and a volume taken again
// after one). A server that answers none of the volumes sent within the
// bound counts as gone.
//
// Main thread, but for the observer and follower calls (loop thread).
class PulseVolumeWriter final : public PulseConnection::Observer {
public:
    // Called with the loop locked.
    using Announce = std::function<void(AudioSystemEvent event)>;

    PulseVolumeWriter(PulseConnection& connection, PulseRequestRunner& runner, PulseSetScalars& setScalars,
                      Announce announce);
    ~PulseVolumeWriter() override;
    PulseVolumeWriter(const PulseVolumeWriter&) = delete;
    PulseVolumeWriter& operator=(const PulseVolumeWriter&) = delete;

    int sendDefaultVolume(AudioScope scope, float scalar);
    void requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done);

    // Loop locked: the follower's news of a default.
    void defaultChanged(AudioScope scope, const PulseFollowedDefault& followed);

    void connectionLost(int error) override;

private:
    void onSentBound();
    void onVolumeSent(AudioScope scope, bool ok);
    // Loop locked: the outcome of a volume whose caller was told it.
    void settle(AudioScope scope, bool refused);

    static void sinkVolumeSentThunk(pa_context* context, int ok, void* self);
    static void sourceVolumeSentThunk(pa_context* context, int ok, void* self);

    PulseConnection& m_connection;
    PulseRequestRunner& m_runner;
    PulseSetScalars& m_setScalars;
    Announce m_announce;
    // Guarded by the loop's lock.
    std::map<AudioScope, PulseFollowedDefault> m_defaults;
    // The last volume sent in that direction was refused (told once).
    std::map<AudioScope, bool> m_refused;
    // Bounds the volumes sent: counted on the main thread (sent) and the
    // loop's thread (answered).
    QTimer m_sentBound;
    std::atomic<std::uint64_t> m_sent{0};
    std::atomic<std::uint64_t> m_answered{0};
    std::uint64_t m_sentAtBound = 0; // main thread
};
