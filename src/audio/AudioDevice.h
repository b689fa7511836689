#pragma once

#include "audio/AudioSystem.h"

#include <QString>

#include <vector>

// Finds the panel's device among the system's audio devices by its name.
// Short-lived: the link makes one for each device arrival and drops it when
// the arrival is handled. Main thread only.
class AudioDevice {
public:
    // Stores the first device in `list` whose name in the direction given
    // by `IsInput` contains the target name (in any letter case) as
    // m_InputID or m_OutputID.
    bool GetDeviceID(const std::vector<AudioDeviceNames>& list, bool IsInput);
    // True when a device was found for input and one for output.
    bool FindQuorelDevice(const std::vector<AudioDeviceNames>& list);

    AudioObjectID inputID() const { return m_InputID; }
    void setInputID(AudioObjectID id) { m_InputID = id; }
    AudioObjectID outputID() const { return m_OutputID; }
    void setOutputID(AudioObjectID id) { m_OutputID = id; }

    // The name a device's name must contain to be taken.
    static const char* const kTargetName;
    // Whether a device of this name is taken: it holds the whole target
    // name, in any letter case. A piece of it ("Audio") is another device.
    static bool nameMatches(const QString& name);

private:
    AudioObjectID m_InputID = kAudioObjectUnknown;
    AudioObjectID m_OutputID = kAudioObjectUnknown;
};
