#pragma once

#include "audio/AudioSystem.h"

#include <cstdint>
#include <memory>

// Finds the panel's device among the system's audio devices by its name and
// makes it the default output and input. Short-lived: the controller makes
// one for each device arrival and drops it when the arrival is handled.
// Main thread only.
class AudioDevice {
public:
    explicit AudioDevice(AudioSystem& system);

    // The device list and its count. On failure `deviceNum` is 0 and `list`
    // is left as it was.
    void FindAllDevices(std::unique_ptr<AudioObjectID[]>& list, std::int32_t& deviceNum);
    // Stores the first device in `list` whose name contains the target
    // name (in any letter case), read in the direction given by
    // `IsInput`, as m_InputID or m_OutputID.
    bool GetDeviceID(const AudioObjectID* list, std::int32_t deviceNum, bool IsInput);
    // True when a device was found for input and one for output.
    bool FindQuorelDevice();
    // Makes m_OutputID the default output, then m_InputID the default input.
    // A failure on the input leaves the output switched.
    bool SetAsDefault();

    AudioObjectID inputID() const { return m_InputID; }
    void setInputID(AudioObjectID id) { m_InputID = id; }
    AudioObjectID outputID() const { return m_OutputID; }
    void setOutputID(AudioObjectID id) { m_OutputID = id; }

    // The name a device's name must contain to be taken.
    static const char* const kTargetName;

private:
    AudioSystem& m_system;
    AudioObjectID m_InputID = kAudioObjectUnknown;
    AudioObjectID m_OutputID = kAudioObjectUnknown;
};
