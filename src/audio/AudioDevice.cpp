#include "audio/AudioDevice.h"

#include <QString>

const char* const AudioDevice::kTargetName = "Quorel IIS Audio";

// The name holds the whole target (older PipeWire names it "Quorel IIS Audio
// Analog Stereo").
bool AudioDevice::nameMatches(const QString& name)
{
    return name.contains(QString::fromUtf8(kTargetName), Qt::CaseInsensitive);
}

bool AudioDevice::GetDeviceID(const std::vector<AudioDeviceNames>& list, bool IsInput)
{
    for (const AudioDeviceNames& device : list) {
        const std::optional<std::string>& name = IsInput ? device.inputName : device.outputName;
        if (!name || !nameMatches(QString::fromUtf8(name->c_str())))
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
