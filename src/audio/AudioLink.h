#pragma once

#include "audio/AudioSystem.h"

#include <QObject>
#include <QString>
#include <QTimer>

// The audio steps of linking the device, and of restoring its sound after
// the sound server came back: find the device by its name, make it the
// default output and then input, and set both volumes. Each step is a
// request that never waits; its answer continues the sequence on the main
// thread. A step the server left unanswered (or the server gone) does not
// end the sequence: it waits for the server and starts again from the
// first step once the server is back. Main thread only.
class AudioLink final : public QObject {
    Q_OBJECT

public:
    // The steps that can end the sequence.
    enum class Step { FindDevice, MakeDefault };
    Q_ENUM(Step)
    // What stopped at a step, for the log and the window.
    static QString describe(Step step);

    explicit AudioLink(AudioSystem& system, QObject* parent = nullptr);

    // Starts the sequence afresh with the volumes to set (a sequence under
    // way is dropped).
    void start(float outputVolume, float inputVolume);
    // Drops the sequence under way; its answers are ignored.
    void cancel();
    // Under way, or waiting for the sound server.
    bool running() const { return m_running; }
    bool waitingForServer() const { return m_waiting; }

    // How often a sequence waiting for the server looks whether it is back
    // (the audio system's own knowledge; nothing is asked of the server).
    static constexpr int kServerLookMs = 250;

signals:
    // The device is the default output and input, its volumes sent.
    void linked(AudioObjectID output, AudioObjectID input);
    // A step the server answered with a failure; the sequence has ended.
    void failed(AudioLink::Step step);
    // The sequence waits for the sound server (true) or goes on (false).
    void waitingChanged(bool waiting);
    // A volume step's answer (AudioStatus); a failure does not end the
    // sequence.
    void volumeAnswered(AudioScope scope, float scalar, int status);

private:
    // Runs `next` with the answer of the current sequence only.
    template <typename... Args>
    auto current(std::function<void(Args...)> next);
    void listDevices();
    void makeDefault(AudioScope scope);
    void setVolume(AudioScope scope);
    void finish(bool ok, Step step = Step::FindDevice);
    // A step's status was not Ok: fails, or waits for the server.
    bool stopped(int status, Step step);
    void setWaiting(bool waiting);

    AudioSystem& m_system;
    unsigned m_generation = 0;
    bool m_running = false;
    bool m_waiting = false;
    float m_outputVolume = 0.0f;
    float m_inputVolume = 0.0f;
    AudioObjectID m_output = kAudioObjectUnknown;
    AudioObjectID m_input = kAudioObjectUnknown;
    QTimer m_serverLook;
};
