#include "FakeAudioSystem.h"

#include <algorithm>
#include <thread>

void FakeAudioSystem::addDevice(const Device& device)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_devices.push_back(device);
}

void FakeAudioSystem::failSetDefault(AudioScope scope, bool fail)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_failSetDefault[scope] = fail;
}

void FakeAudioSystem::changeVolumeElsewhere(AudioObjectID device, AudioScope scope, float scalar)
{
    std::vector<Listener> listeners;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        Device* d = find(device);
        if (!d)
            return;
        (scope == AudioScope::Output ? d->outputVolume : d->inputVolume) = scalar;
        for (const Listener& l : m_listeners)
            if (l.device == device && l.scope == scope)
                listeners.push_back(l);
    }
    std::thread notifier([&listeners, device, scope] {
        for (const Listener& l : listeners)
            l.proc(device, scope, l.clientData);
    });
    notifier.join();
}

std::vector<AudioObjectID> FakeAudioSystem::defaultsSet(AudioScope scope) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto found = m_defaultsSet.find(scope);
    return found == m_defaultsSet.end() ? std::vector<AudioObjectID>{} : found->second;
}

float FakeAudioSystem::volume(AudioObjectID device, AudioScope scope) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Device* d = find(device);
    return !d ? -1.0f : scope == AudioScope::Output ? d->outputVolume : d->inputVolume;
}

int FakeAudioSystem::listenerCount() const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return static_cast<int>(m_listeners.size());
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    count = static_cast<std::uint32_t>(m_devices.size());
    return AudioStatus::Ok;
}

int FakeAudioSystem::deviceList(AudioObjectID* list, std::uint32_t& count)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    count = std::min(count, static_cast<std::uint32_t>(m_devices.size()));
    for (std::uint32_t i = 0; i < count; ++i)
        list[i] = m_devices[i].id;
    return AudioStatus::Ok;
}

int FakeAudioSystem::deviceName(AudioObjectID device, AudioScope scope, std::string& name)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto found = m_defaults.find(scope);
    if (found == m_defaults.end())
        return AudioStatus::NoSuchDevice;
    device = found->second;
    return AudioStatus::Ok;
}

int FakeAudioSystem::setDefaultDevice(AudioScope scope, AudioObjectID device)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_failSetDefault[scope] || !find(device))
        return AudioStatus::ServerError;
    m_defaults[scope] = device;
    m_defaultsSet[scope].push_back(device);
    return AudioStatus::Ok;
}

bool FakeAudioSystem::hasMainVolume(AudioObjectID device, AudioScope)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Device* d = find(device);
    return d && d->hasMainVolume;
}

int FakeAudioSystem::volumeScalar(AudioObjectID device, AudioScope scope, float& scalar)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Device* d = find(device);
    if (!d || !d->hasMainVolume)
        return AudioStatus::NoSuchDevice;
    scalar = scope == AudioScope::Output ? d->outputVolume : d->inputVolume;
    return AudioStatus::Ok;
}

int FakeAudioSystem::setVolumeScalar(AudioObjectID device, AudioScope scope, float scalar)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Device* d = find(device);
    if (!d || !d->hasMainVolume)
        return AudioStatus::NoSuchDevice;
    (scope == AudioScope::Output ? d->outputVolume : d->inputVolume) = scalar;
    return AudioStatus::Ok;
}

int FakeAudioSystem::addVolumeListener(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc,
                                       void* clientData)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!find(device))
        return AudioStatus::NoSuchDevice;
    m_listeners.push_back(Listener{device, scope, proc, clientData});
    return AudioStatus::Ok;
}

int FakeAudioSystem::removeVolumeListener(AudioObjectID device, AudioScope scope, AudioVolumeListenerProc proc,
                                          void* clientData)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const auto found = std::find_if(m_listeners.begin(), m_listeners.end(), [&](const Listener& l) {
        return l.device == device && l.scope == scope && l.proc == proc && l.clientData == clientData;
    });
    if (found == m_listeners.end())
        return AudioStatus::NotRegistered;
    m_listeners.erase(found);
    return AudioStatus::Ok;
}
