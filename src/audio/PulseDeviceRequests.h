#pragma once

#include "audio/AudioSystem.h"
#include "audio/PulseConnection.h"
#include "audio/PulseDeviceInfo.h"
#include "audio/PulseRequestRunner.h"

#include <functional>
#include <memory>
#include <string>

// The device list with names and the defaults as asked for by the panel:
// requests answered later on the main thread (the link's steps).
//
// A new default is checked, not trusted: PipeWire acknowledges the request
// before its session manager makes the change, so it is read back until the
// server reports it, within the bound.
//
// Main thread.
class PulseDeviceRequests final {
public:
    // Called with the loop locked when a default asked for does not show.
    using SuspectStale = std::function<void()>;
    // Called with the loop locked: whether a new connection read the device
    // as the default since then.
    using FreshlyRead = std::function<bool(AudioScope scope, const std::string& serverName)>;

    PulseDeviceRequests(PulseConnection& connection, PulseRequestRunner& runner, SuspectStale suspectStale,
                        FreshlyRead freshlyRead);

    void requestDevices(AudioDevicesDone done);
    void requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done);
    // Waits at most the bound for the device's information.
    bool hasMainVolume(AudioObjectID device, AudioScope scope);

private:
    struct DefaultCheck;
    bool backToReplacedConnection(AudioScope scope, const std::string& serverName, int error);
    void askDefault(const std::shared_ptr<DefaultCheck>& check, bool first);
    void checkDefault(const std::shared_ptr<DefaultCheck>& check);
    bool freshlyRead(AudioScope scope, const std::string& serverName);

    PulseConnection& m_connection;
    PulseRequestRunner& m_runner;
    SuspectStale m_suspectStale;
    FreshlyRead m_freshlyRead;
};
