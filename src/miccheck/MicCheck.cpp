#include "miccheck/MicCheck.h"

#include "controls/MessageBand.h"
#include "miccheck/MicCheckLog.h"
#include "model/PanelModel.h"

Q_LOGGING_CATEGORY(lcMicCheck, "quorel.miccheck")

namespace {

const QString kTopic = QStringLiteral("miccheck");
constexpr std::chrono::seconds kMessageTime{5};

} // namespace

MicCheck::MicCheck(PanelModel& model, MicCheckAudio& audio, MessageBand* band, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_audio(audio)
    , m_band(band)
{
    m_audio.setListener(this);
    // The defaults are the device's only while it is linked.
    connect(&m_model, &PanelModel::linkChanged, this, [this](const LinkState& link) {
        if (running() && !link.linked) {
            refuse(QStringLiteral("the device was unlinked"),
                   tr("The microphone check stopped: the device was unlinked."));
            stop();
        }
    });
}

MicCheck::~MicCheck()
{
    m_audio.stop();
    m_audio.setListener(nullptr);
}

int MicCheck::secondsLeft() const
{
    const std::int64_t left = std::max<std::int64_t>(0, m_frames - m_done);
    return static_cast<int>((left + MicCheckAudio::kSampleRate - 1) / MicCheckAudio::kSampleRate);
}

void MicCheck::toggle()
{
    if (running())
        stop();
    else
        start();
}

void MicCheck::start()
{
    if (running())
        return;
    if (!m_model.link().linked || m_model.link().linking) {
        refuse(QStringLiteral("the device is not linked"),
               tr("Cannot check the microphone: the device is not linked."));
        return;
    }
    if (m_model.transportState() != TransportIdle) {
        refuse(QStringLiteral("a recording or playback runs"),
               tr("Cannot check the microphone while a recording or playback runs."));
        return;
    }
    const std::int64_t frames = kLength.count() * MicCheckAudio::kSampleRate;
    if (!m_audio.record(frames)) {
        refuse(QStringLiteral("the sound server does not answer"),
               tr("Cannot check the microphone: the sound server does not answer."));
        return;
    }
    qCInfo(lcMicCheck) << "microphone check: recording" << kLength.count() << "s from the default input";
    if (m_band)
        m_band->clear(kTopic);
    enter(Phase::Recording, frames);
}

void MicCheck::stop()
{
    if (!running())
        return;
    m_audio.stop();
    qCInfo(lcMicCheck) << "microphone check: stopped";
    enter(Phase::Idle, 0);
}

void MicCheck::micCheckProgress(float peak, std::int64_t frames)
{
    if (!running())
        return;
    m_level = peak;
    m_done = frames;
    emit progressed();
}

void MicCheck::micCheckRecorded(std::vector<std::int16_t> samples)
{
    if (m_phase != Phase::Recording)
        return;
    const auto frames = static_cast<std::int64_t>(samples.size());
    if (!m_audio.play(std::move(samples))) {
        micCheckFailed(MicCheckAudio::Failure::Unavailable, QString());
        return;
    }
    qCInfo(lcMicCheck) << "microphone check: playing back to the default output";
    enter(Phase::Playing, frames);
}

void MicCheck::micCheckPlayed()
{
    if (m_phase != Phase::Playing)
        return;
    qCInfo(lcMicCheck) << "microphone check: done";
    enter(Phase::Idle, 0);
}

// Logged in English, shown in the user's language, each case a sentence.
void MicCheck::micCheckFailed(MicCheckAudio::Failure failure, const QString& detail)
{
    if (!running())
        return;
    QString logged;
    QString shown;
    switch (failure) {
    case MicCheckAudio::Failure::Unavailable:
        logged = QStringLiteral("the sound server does not answer");
        shown = tr("The microphone check stopped: the sound server does not answer.");
        break;
    case MicCheckAudio::Failure::RecordRefused:
        logged = QStringLiteral("the sound server refused the recording: %1").arg(detail);
        shown = tr("The microphone check stopped: the sound server refused the recording (%1).").arg(detail);
        break;
    case MicCheckAudio::Failure::PlaybackRefused:
        logged = QStringLiteral("the sound server refused the playback: %1").arg(detail);
        shown = tr("The microphone check stopped: the sound server refused the playback (%1).").arg(detail);
        break;
    case MicCheckAudio::Failure::ServerLost:
        logged = QStringLiteral("the sound server went away");
        shown = tr("The microphone check stopped: the sound server went away.");
        break;
    }
    m_audio.stop();
    enter(Phase::Idle, 0);
    qCWarning(lcMicCheck).noquote() << "microphone check failed:" << logged;
    if (m_band)
        m_band->announce(kTopic, shown, kMessageTime);
}

void MicCheck::refuse(const QString& logged, const QString& shown)
{
    qCWarning(lcMicCheck).noquote() << "microphone check:" << logged;
    if (m_band)
        m_band->announce(kTopic, shown, kMessageTime);
}

void MicCheck::enter(Phase phase, std::int64_t frames)
{
    m_frames = frames;
    m_done = 0;
    m_level = 0.0F;
    if (m_phase == phase)
        return;
    m_phase = phase;
    emit phaseChanged(phase);
    emit progressed();
}
