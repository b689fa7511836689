#include "FakeAudioSystem.h"

#include <algorithm>

void FakeAudioSystem::addDevice(const Device& device)
{
    m_devices.push_back(device);
}

void FakeAudioSystem::failSetDefault(AudioScope scope, bool fail)
{
    m_failSetDefault[scope] = fail;
}

void FakeAudioSystem::refuseSentVolumes(AudioScope scope, bool refuse)
{
    m_refuseSentVolumes[scope] = refuse;
}

std::vector<AudioObjectID> FakeAudioSystem::defaultsSet(AudioScope scope) const
{
    const auto found = m_defaultsSet.find(scope);
    return found == m_defaultsSet.end() ? std::vector<AudioObjectID>{} : found->second;
}

float FakeAudioSystem::volume(AudioObjectID device, AudioScope scope) const
{
    const Device* d = find(device);
    return !d ? -1.0f : scope == AudioScope::Output ? d->outputVolume : d->inputVolume;
}

FakeAudioSystem::Device* FakeAudioSystem::find(AudioObjectID id)
{
    const auto found = std::find_if(m_devices.begin(), m_devices.end(), [id](const Device& d) { return d.id == id; });
    return found == m_devices.end() ? nullptr : &*found;
}

const FakeAudioSystem::Device* FakeAudioSystem::find(AudioObjectID id) const
{
    return const_cast<FakeAudioSystem*>(this)->find(id);
}

int FakeAudioSystem::deviceCount(std::uint32_t& count)
{
    count = static_cast<std::uint32_t>(m_devices.size());
    return AudioStatus::Ok;
}

int FakeAudioSystem::deviceList(AudioObjectID* list, std::uint32_t& count)
{
    count = std::min(count, static_cast<std::uint32_t>(m_devices.size()));
    for (std::uint32_t i = 0; i < count; ++i)
        list[i] = m_devices[i].id;
    return AudioStatus::Ok;
}

int FakeAudioSystem::deviceName(AudioObjectID device, AudioScope scope, std::string& name)
{
    const Device* d = find(device);
    if (!d || !d->nameReadable)
        return AudioStatus::ServerError;
    const auto& wanted = scope == AudioScope::Output ? d->outputName : d->inputName;
    if (!wanted)
        return AudioStatus::NoSuchDevice;
    name = *wanted;
    return AudioStatus::Ok;
}

int FakeAudioSystem::defaultDevice(AudioScope scope, AudioObjectID& device)
{
    const auto found = m_defaults.find(scope);
    if (found == m_defaults.end())
        return AudioStatus::NoSuchDevice;
    device = found->second;
    return AudioStatus::Ok;
}

int FakeAudioSystem::setDefaultDevice(AudioScope scope, AudioObjectID device)
{
    if (m_failSetDefault[scope] || !find(device))
        return AudioStatus::ServerError;
    m_defaults[scope] = device;
    m_defaultsSet[scope].push_back(device);
    return AudioStatus::Ok;
}

bool FakeAudioSystem::hasMainVolume(AudioObjectID device, AudioScope)
{
    const Device* d = find(device);
    return d && d->hasMainVolume;
}

int FakeAudioSystem::volumeScalar(AudioObjectID device, AudioScope scope, float& scalar)
{
    const Device* d = find(device);
    if (!d || !d->hasMainVolume)
        return AudioStatus::NoSuchDevice;
    scalar = scope == AudioScope::Output ? d->outputVolume : d->inputVolume;
    return AudioStatus::Ok;
}

int FakeAudioSystem::setVolumeScalar(AudioObjectID device, AudioScope scope, float scalar)
{
    Device* d = find(device);
    if (!d || !d->hasMainVolume)
        return AudioStatus::NoSuchDevice;
    (scope == AudioScope::Output ? d->outputVolume : d->inputVolume) = scalar;
    return AudioStatus::Ok;
}

int FakeAudioSystem::addVolumeListener(AudioObjectID, AudioScope, AudioVolumeListenerProc, void*)
{
    return AudioStatus::Ok;
}

int FakeAudioSystem::removeVolumeListener(AudioObjectID, AudioScope, AudioVolumeListenerProc, void*)
{
    return AudioStatus::NotRegistered;
}

// Like a server, tells only a change between refused and taken.
int FakeAudioSystem::sendDefaultVolume(AudioScope scope, float scalar)
{
    AudioObjectID device = kAudioObjectUnknown;
    if (const int status = defaultDevice(scope, device); status != AudioStatus::Ok)
        return status;
    if (!hasMainVolume(device, scope))
        return AudioStatus::NoMainVolume;
    const bool refused = m_refuseSentVolumes[scope];
    if (!refused)
        setVolumeScalar(device, scope, scalar);
    if (m_sentVolumeRefused[scope] != refused && m_eventProc) {
        const bool output = scope == AudioScope::Output;
        m_eventProc(refused ? (output ? AudioSystemEvent::OutputVolumeRefused : AudioSystemEvent::InputVolumeRefused)
                            : (output ? AudioSystemEvent::OutputVolumeTaken : AudioSystemEvent::InputVolumeTaken),
                    m_eventClientData);
    }
    m_sentVolumeRefused[scope] = refused;
    return AudioStatus::Ok;
}

void FakeAudioSystem::setEventListener(AudioSystemEventProc proc, void* clientData)
{
    m_eventProc = proc;
    m_eventClientData = clientData;
}
