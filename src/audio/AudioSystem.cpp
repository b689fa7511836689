#include "audio/AudioSystem.h"

#include <QTimer>

namespace {

// Hands an answer over on the next turn of the main thread's event loop, so
// it never runs within the request.
void answerLater(std::function<void()> answer)
{
    QTimer::singleShot(0, std::move(answer));
}

} // namespace

void AudioSystem::requestDevices(AudioDevicesDone done)
{
    std::vector<AudioDeviceNames> devices;
    std::uint32_t count = 0;
    int status = deviceCount(count);
    if (status == AudioStatus::Ok) {
        std::vector<AudioObjectID> ids(count);
        status = deviceList(ids.data(), count);
        ids.resize(status == AudioStatus::Ok ? count : 0);
        for (const AudioObjectID id : ids) {
            AudioDeviceNames device{id, std::string(), std::string()};
            if (deviceName(id, AudioScope::Output, *device.outputName) != AudioStatus::Ok)
                device.outputName.reset();
            if (deviceName(id, AudioScope::Input, *device.inputName) != AudioStatus::Ok)
                device.inputName.reset();
            devices.push_back(std::move(device));
        }
    }
    answerLater([done = std::move(done), status, devices = std::move(devices)]() mutable {
        done(status, std::move(devices));
    });
}

void AudioSystem::requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done)
{
    const int status = setDefaultDevice(scope, device);
    answerLater([done = std::move(done), status] { done(status); });
}

void AudioSystem::requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done)
{
    const int status = hasMainVolume(device, scope) ? setVolumeScalar(device, scope, scalar)
                                                    : AudioStatus::NoMainVolume;
    answerLater([done = std::move(done), status] { done(status); });
}
