#pragma once

#include "audio/AudioSystem.h"
#include "audio/PulseConnection.h"
#include "audio/PulseDeviceInfo.h"
#include "audio/PulseSetScalars.h"
#include "audio/PulseRequestRunner.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The device list with names, the defaults and volumes as asked for by the
// panel: requests answered later on the main thread (the link's steps), and
// the bounded blocking queries that tests and benchmarks still use.
//
// A new default is checked, not trusted: PipeWire acknowledges the request
// before its session manager makes the change, so it is read back until the
// server reports it, within the bound.
//
// Main thread, but for the observer calls (loop thread).
class PulseDeviceRequests final : public PulseConnection::Observer {
public:
    // Called with the loop locked when a default asked for does not show.
    using SuspectStale = std::function<void()>;
    // Called with the loop locked: whether a new connection read the device
    // as the default since then.
    using FreshlyRead = std::function<bool(AudioScope scope, const std::string& serverName)>;

    PulseDeviceRequests(PulseConnection& connection, PulseRequestRunner& runner, const PulseSetScalars& setScalars,
                        SuspectStale suspectStale, FreshlyRead freshlyRead);

    void requestDevices(AudioDevicesDone done);
    void requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done);

    int deviceCount(std::uint32_t& count);
    int deviceList(AudioObjectID* list, std::uint32_t& count);
    int deviceName(AudioObjectID device, AudioScope scope, std::string& name);
    int defaultDevice(AudioScope scope, AudioObjectID& device);
    int setDefaultDevice(AudioScope scope, AudioObjectID device);
    bool hasMainVolume(AudioObjectID device, AudioScope scope);
    int volumeScalar(AudioObjectID device, AudioScope scope, float& scalar);
    // One device's information, waited for.
    int query(AudioObjectID device, AudioScope scope, PulseDeviceInfo& info, const char* what);

    void connectionReady(pa_context* context, Ready how) override;
    void connectionLost(int error) override;
    void serverEvent(pa_subscription_event_type_t type, std::uint32_t index) override;

private:
    struct DefaultCheck;
    int queryByName(AudioScope scope, const std::string& serverName, PulseDeviceInfo& info, const char* what);
    int queryAll(std::vector<PulseDeviceInfo>& devices);
    int readDefaults(PulseRequest& server);
    int requestDefault(AudioScope scope, const std::string& serverName);
    bool backToReplacedConnection(AudioScope scope, const std::string& serverName, int error);
    int waitForDefault(AudioScope scope, const std::string& serverName, std::chrono::milliseconds bound,
                       std::string& current);
    void askDefault(const std::shared_ptr<DefaultCheck>& check, bool first);
    void checkDefault(const std::shared_ptr<DefaultCheck>& check);
    bool freshlyRead(AudioScope scope, const std::string& serverName);
    void serverChanged();

    PulseConnection& m_connection;
    PulseRequestRunner& m_runner;
    const PulseSetScalars& m_setScalars;
    SuspectStale m_suspectStale;
    FreshlyRead m_freshlyRead;
    std::mutex m_changesMutex;
    std::condition_variable m_changed;
    std::uint64_t m_serverChanges = 0; // guarded by m_changesMutex
};
