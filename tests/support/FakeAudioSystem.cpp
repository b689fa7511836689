#include "FakeAudioSystem.h"

#include <QTimer>

#include <algorithm>

namespace {

void setVolume(FakeAudioSystem::Device& device, AudioScope scope, float scalar)
{
    (scope == AudioScope::Output ? device.outputVolume : device.inputVolume) = scalar;
}

} // namespace

void FakeAudioSystem::addDevice(const Device& device)
{
    m_devices.push_back(device);
}

void FakeAudioSystem::setDefault(AudioScope scope, AudioObjectID device)
{
    m_defaults[scope] = device;
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

// A name that cannot be read is no name.
void FakeAudioSystem::requestDevices(AudioDevicesDone done)
{
    std::vector<AudioDeviceNames> devices;
    for (const Device& d : m_devices)
        devices.push_back(d.nameReadable ? AudioDeviceNames{d.id, d.outputName, d.inputName}
                                         : AudioDeviceNames{d.id, std::nullopt, std::nullopt});
    QTimer::singleShot(0, [done = std::move(done), devices = std::move(devices)]() mutable {
        done(AudioStatus::Ok, std::move(devices));
    });
}

void FakeAudioSystem::requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done)
{
    int status = AudioStatus::ServerError;
    if (!m_failSetDefault[scope] && find(device)) {
        m_defaults[scope] = device;
        m_defaultsSet[scope].push_back(device);
        status = AudioStatus::Ok;
    }
    QTimer::singleShot(0, [done = std::move(done), status] { done(status); });
}

void FakeAudioSystem::requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done)
{
    Device* d = find(device);
    const int status = d && d->hasMainVolume ? AudioStatus::Ok : AudioStatus::NoMainVolume;
    if (status == AudioStatus::Ok)
        setVolume(*d, scope, scalar);
    QTimer::singleShot(0, [done = std::move(done), status] { done(status); });
}

bool FakeAudioSystem::hasMainVolume(AudioObjectID device, AudioScope)
{
    const Device* d = find(device);
    return d && d->hasMainVolume;
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
    const auto found = m_defaults.find(scope);
    if (found == m_defaults.end())
        return AudioStatus::NoSuchDevice;
    Device* device = find(found->second);
    if (!device || !device->hasMainVolume)
        return AudioStatus::NoMainVolume;
    const bool refused = m_refuseSentVolumes[scope];
    if (!refused)
        setVolume(*device, scope, scalar);
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
