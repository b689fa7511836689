#pragma once

#include <QObject>

#include <atomic>

#include "audio/AudioSystem.h"
#include "base/WorkQueue.h"
#include "model/PanelModel.h"

class SettingsDictionary;

// The Speaker and Mic settings as the system's volumes: a change of the
// model a control or a remote asked for is sent to the current default
// output or input without waiting (a refusal comes back as an audio system
// event and shows as a fault), and while the device is linked a volume
// changed elsewhere (the desktop's mixer) comes back into the model as the
// sound server's own change. Main thread unless a method says otherwise.
class SystemVolumes final : public QObject {
    Q_OBJECT

public:
    // `model` and `audio` must outlive this.
    SystemVolumes(PanelModel& model, AudioSystem& audio, QObject* parent = nullptr);
    ~SystemVolumes() override;

    // Where the mute flags go: they say what the sound server last took.
    void setStoredSettings(SettingsDictionary* file) { m_file = file; }

    // Link step: listen for changes on the devices the link made the
    // defaults (moving there on a second link); reports from before are
    // dropped.
    void listen(AudioObjectID output, AudioObjectID input);
    // Unlink, restore and shut-down step: the listeners go (nothing is
    // asked of the server) and reports already handed over are dropped.
    void stopListening();

    // The link's or the restore's volume on the device just made the
    // default was answered.
    void answered(AudioScope scope, float scalar, int status);
    // A volume refused or taken again (OutputVolumeRefused, ...).
    void serverEvent(AudioSystemEvent event);

    // The procedures listen() registers, with this as their client data.
    // The audio system's thread. Registrations are removed before this goes
    // (stopListening() in the destructor), so clientData outlives every call.
    static int outputListener(AudioObjectID device, AudioScope scope, float scalar, void* clientData);
    static int inputListener(AudioObjectID device, AudioScope scope, float scalar, void* clientData);

private:
    void sendVolumes(const SettingsChange& change);
    void send(AudioScope scope, int percent);
    void showFault(AudioScope scope, bool failed);
    // Any thread: hands a changed volume to the main thread.
    void report(AudioScope scope, float scalar);
    void take(AudioScope scope, float scalar);
    void remove(AudioScope scope);

    PanelModel& m_model;
    AudioSystem& m_audio;
    SettingsDictionary* m_file = nullptr;
    // The devices the listeners were added on.
    AudioObjectID m_output = kAudioObjectUnknown;
    AudioObjectID m_input = kAudioObjectUnknown;
    // Reports handed over under an older epoch, or while not listening,
    // are stale; the listeners' thread reads it as a report is queued.
    std::atomic<unsigned> m_epoch{0};
    bool m_listening = false;
    const MainThreadLink<SystemVolumes> m_toMain{this};
};
