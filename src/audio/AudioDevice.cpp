#include "audio/AudioDevice.h"

#include <QString>

#include <new>

const char* const AudioDevice::kTargetName = "Quorel IIS Audio";

AudioDevice::AudioDevice(AudioSystem& system)
    : m_system(system)
{
}

void AudioDevice::FindAllDevices(std::unique_ptr<AudioObjectID[]>& list, std::int32_t& deviceNum)
{
    std::uint32_t count = 0;
    if (m_system.deviceCount(count) != AudioStatus::Ok) {
        deviceNum = 0;
        return;
    }
    std::unique_ptr<AudioObjectID[]> devices(new (std::nothrow) AudioObjectID[count]);
    if (!devices) {
        deviceNum = 0;
        return;
    }
    // The list may have shrunk since it was counted; only what was written counts.
    std::uint32_t written = count;
    if (m_system.deviceList(devices.get(), written) != AudioStatus::Ok) {
        deviceNum = 0;
        return;
    }
    list = std::move(devices);
    deviceNum = static_cast<std::int32_t>(written);
}

bool AudioDevice::GetDeviceID(const AudioObjectID* list, std::int32_t deviceNum, bool IsInput)
{
    if (!list || deviceNum <= 0)
        return false;
    const AudioScope scope = IsInput ? AudioScope::Input : AudioScope::Output;
    const QString target = QString::fromUtf8(kTargetName);
    for (std::int32_t i = 0; i < deviceNum; ++i) {
        std::string name;
        if (m_system.deviceName(list[i], scope, name) != AudioStatus::Ok)
            continue;
        // The name holds the whole target (older PipeWire names it "Quorel
        // IIS Audio Analog Stereo"). A name that is only a piece of the
        // target, such as "Audio", is another device.
        if (!QString::fromUtf8(name.c_str()).contains(target, Qt::CaseInsensitive))
            continue;
        if (IsInput)
            m_InputID = list[i];
        else
            m_OutputID = list[i];
        return true;
    }
    return false;
}

bool AudioDevice::FindQuorelDevice()
{
    std::unique_ptr<AudioObjectID[]> list;
    std::int32_t deviceNum = 0;
    FindAllDevices(list, deviceNum);
    if (!list || deviceNum == 0)
        return false;
    if (!GetDeviceID(list.get(), deviceNum, true))
        return false;
    return GetDeviceID(list.get(), deviceNum, false);
}

bool AudioDevice::SetAsDefault()
{
    if (m_system.setDefaultDevice(AudioScope::Output, m_OutputID) != AudioStatus::Ok)
        return false;
    return m_system.setDefaultDevice(AudioScope::Input, m_InputID) == AudioStatus::Ok;
}
