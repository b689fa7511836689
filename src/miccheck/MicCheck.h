#pragma once

#include "miccheck/MicCheckAudio.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <vector>

class MessageBand;
class PanelModel;

// The microphone check: a few seconds of the device's input recorded into
// memory, then played back through its output, so the user hears
// themselves as others will. Only while the device is linked (the linked
// device is the system's default input and output) and the transport is
// idle; the transport refuses while a check runs. A refusal or a failure is
// shown in the message band and logged. Main thread.
class MicCheck final : public QObject, private MicCheckAudio::Listener {
    Q_OBJECT

public:
    enum class Phase { Idle, Recording, Playing };
    static constexpr std::chrono::seconds kLength{5};

    MicCheck(PanelModel& model, MicCheckAudio& audio, MessageBand* band, QObject* parent = nullptr);
    ~MicCheck() override;

    Phase phase() const { return m_phase; }
    bool running() const { return m_phase != Phase::Idle; }
    // Whole seconds left of the phase, rounded up.
    int secondsLeft() const;
    float level() const { return m_level; }

    // Starts a check, or stops the one that runs.
    void toggle();
    void start();
    void stop();

signals:
    void phaseChanged(MicCheck::Phase phase);
    // The level or the seconds left changed.
    void progressed();

private:
    void micCheckProgress(float peak, std::int64_t frames) override;
    void micCheckRecorded(std::vector<std::int16_t> samples) override;
    void micCheckPlayed() override;
    void micCheckFailed(MicCheckAudio::Failure failure, const QString& detail) override;
    void refuse(const QString& logged, const QString& shown);
    void enter(Phase phase, std::int64_t frames);

    PanelModel& m_model;
    MicCheckAudio& m_audio;
    MessageBand* m_band;
    Phase m_phase = Phase::Idle;
    std::int64_t m_frames = 0;
    std::int64_t m_done = 0;
    float m_level = 0.0F;
};
