#pragma once

#include "audio/AudioSystem.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// An in-memory audio system for what a real sound server cannot be made to
// do on demand: a device whose name cannot be read, a default that cannot be
// set, a device without a main volume, a volume write refused after it was
// sent. Requests are answered on the next turn of the event loop. It keeps
// no volume listeners; its events are told on the caller's thread. Main
// thread only.
class FakeAudioSystem final : public AudioSystem {
public:
    struct Device {
        AudioObjectID id = kAudioObjectUnknown;
        // The name in each direction; none means the device does not work in
        // that direction. `nameReadable` false makes every name read fail.
        std::optional<std::string> outputName;
        std::optional<std::string> inputName;
        bool nameReadable = true;
        bool hasMainVolume = true;
        float outputVolume = 1.0f;
        float inputVolume = 1.0f;
    };

    void addDevice(const Device& device);
    // The default the system had before anyone asked for one.
    void setDefault(AudioScope scope, AudioObjectID device);
    // Makes setting this direction's default fail from now on.
    void failSetDefault(AudioScope scope, bool fail = true);
    // Makes sendDefaultVolume() in this direction be refused from now on,
    // as a server answering a write it had accepted.
    void refuseSentVolumes(AudioScope scope, bool refuse = true);

    // What the tests look at: the defaults asked for, in order, and a
    // device's volume (-1 for no such device).
    std::vector<AudioObjectID> defaultsSet(AudioScope scope) const;
    float volume(AudioObjectID device, AudioScope scope) const;

    void requestDevices(AudioDevicesDone done) override;
    void requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done) override;
    void requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done) override;
    bool hasMainVolume(AudioObjectID device, AudioScope scope) override;
    int sendDefaultVolume(AudioScope scope, float scalar) override;
    int addVolumeListener(AudioObjectID device, AudioScope scope,
                          AudioVolumeListenerProc proc, void* clientData) override;
    int removeVolumeListener(AudioObjectID device, AudioScope scope,
                             AudioVolumeListenerProc proc, void* clientData) override;
    void setEventListener(AudioSystemEventProc proc, void* clientData) override;

private:
    Device* find(AudioObjectID id);
    const Device* find(AudioObjectID id) const;

    std::vector<Device> m_devices;
    std::map<AudioScope, AudioObjectID> m_defaults;
    std::map<AudioScope, std::vector<AudioObjectID>> m_defaultsSet;
    std::map<AudioScope, bool> m_failSetDefault;
    std::map<AudioScope, bool> m_refuseSentVolumes;
    std::map<AudioScope, bool> m_sentVolumeRefused;
    AudioSystemEventProc m_eventProc = nullptr;
    void* m_eventClientData = nullptr;
};
