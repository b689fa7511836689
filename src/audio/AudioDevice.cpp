#include "audio/AudioDevice.h"

#include <QString>

const char* const AudioDevice::kTargetName = "Quorel IIS Audio";

bool AudioDevice::GetDeviceID(const std::vector<AudioDeviceNames>& list, bool IsInput)
{
    const QString target = QString::fromUtf8(kTargetName);
    for (const AudioDeviceNames& device : list) {
        const std::optional<std::string>& name = IsInput ? device.inputName : device.outputName;
        // The name holds the whole target (older PipeWire names it "Quorel
        // IIS Audio Analog Stereo"). A name that is only a piece of the
        // target, such as "Audio", is another device.
        if (!name || !QString::fromUtf8(name->c_str()).contains(target, Qt::CaseInsensitive))
            continue;
        (IsInput ? m_InputID : m_OutputID) = device.id;
        return true;
    }
    return false;
}

bool AudioDevice::FindQuorelDevice(const std::vector<AudioDeviceNames>& list)
{
    return GetDeviceID(list, true) && GetDeviceID(list, false);
}
