#include "app/TransportControls.h"

#include "controls/Button.h"
#include "controls/ControlImageState.h"
#include "controls/MessageBand.h"
#include "model/PanelModel.h"
#include "transport/ClockText.h"
#include "transport/GstTransportFactory.h"
#include "transport/QtFilePanels.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QTimer>
#include <QUrl>

Q_LOGGING_CATEGORY(lcAppTransport, "quorel.app.transport")

namespace {

constexpr auto Idle = TransportIdle;
constexpr auto Playing = TransportPlaying;
constexpr auto PlaybackPaused = TransportPlaybackPaused;
constexpr auto Recording = TransportRecording;
constexpr auto RecordingPaused = TransportRecordingPaused;

// The transport's reasons are English, as the transport logs them; those
// it marks for translation (QT_TRANSLATE_NOOP("Transport", ...)) read in the
// user's language in the window, any other (GStreamer's own) as it came.
QString shownReason(const QString& reason)
{
    return QCoreApplication::translate("Transport", reason.toUtf8().constData());
}

} // namespace

TransportControls::TransportControls(PanelModel& model, Controls controls, std::shared_ptr<TransportFactory> factory,
                                     std::shared_ptr<FilePanels> panels, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_controls(controls)
    , m_factory(std::move(factory))
    , m_panels(std::move(panels))
{
}

TransportControls::~TransportControls()
{
    finish();
}

void TransportControls::wire()
{
    for (Button* button : {m_controls.playButton, m_controls.pauseButton, m_controls.stopButton,
                           m_controls.recordButton})
        button->setDelegate(this);
    m_model.setTransportState(Idle);
}

std::int64_t TransportControls::state() const
{
    return m_model.transportState();
}

TransportFactory& TransportControls::factory()
{
    if (!m_factory)
        m_factory = std::make_shared<GstTransportFactory>();
    return *m_factory;
}

FilePanels& TransportControls::panels()
{
    if (!m_panels)
        m_panels = std::make_shared<QtFilePanels>(m_controls.window);
    return *m_panels;
}

// running: play and record off, pause and stop on; otherwise the reverse.
void TransportControls::showRunning(bool running)
{
    m_running = running;
    m_controls.playButton->setEnabled(!running);
    m_controls.recordButton->setEnabled(!running);
    m_controls.pauseButton->setEnabled(running);
    m_controls.stopButton->setEnabled(running);
}

void TransportControls::enable(bool enabled)
{
    const int image = static_cast<int>(enabled ? ControlImageState::Enable : ControlImageState::Disable);
    for (Button* button : {m_controls.playButton, m_controls.stopButton, m_controls.pauseButton,
                           m_controls.recordButton}) {
        button->setStatus(image);
        if (!enabled)
            button->setEnabled(false);
    }
    if (enabled)
        showRunning(m_running);
}

void TransportControls::shutDown()
{
    m_shutDown = true;
    m_timer.reset();
}

void TransportControls::restartClock()
{
    m_timer = std::make_unique<QTimer>();
    m_timer->setInterval(1000);
    connect(m_timer.get(), &QTimer::timeout, this, [this] { TimerAction(m_timer.get()); });
    m_timer->start();
}

// A location that cannot be played or recorded changes nothing: the state,
// the buttons, the timer and the clock stay as they were. `what` ("play" or
// "record") and `logged` go to the log in English; the user reads a whole
// sentence in their language, since a verb cannot be slotted into one.
void TransportControls::refuse(const char* what, const QUrl& location, const QString& logged, const QString& shown)
{
    const QString name = location.toDisplayString(QUrl::PreferLocalFile);
    qCWarning(lcAppTransport, "cannot %s \"%s\": %s", what, qUtf8Printable(name), qUtf8Printable(logged));
    const QString text = qstrcmp(what, "record") == 0 ? tr("Cannot record %1: %2") : tr("Cannot play %1: %2");
    showMessage(text.arg(name, shown));
}

// In the window's message band until dismissed or the next take starts,
// and never for less than the time it takes to read.
void TransportControls::showMessage(const QString& text)
{
    if (m_controls.messageBand)
        m_controls.messageBand->announce(QStringLiteral("transport"), text, std::chrono::seconds(5));
}

// The file panels run their own event loop, so the device may have gone
// (or the transport moved on) by the time the user confirms: then nothing
// starts.
bool TransportControls::stillWanted(const char* what, const QUrl& location, std::int64_t stateAtOpen)
{
    if (refuseForOtherUse(what))
        return false;
    const bool linked = m_model.link().linked && !m_model.link().linking;
    if (linked && !m_shutDown && state() == stateAtOpen)
        return true;
    if (linked)
        refuse(what, location, QStringLiteral("the transport changed while the panel was open"),
                        tr("the transport changed while the panel was open"));
    else
        refuse(what, location, QStringLiteral("the device is not linked"), tr("the device is not linked"));
    return false;
}

// Checked before the file panel opens and again once it is confirmed:
// the check may have started from the tray meanwhile.
bool TransportControls::refuseForOtherUse(const char* what)
{
    if (!m_otherUse || !m_otherUse())
        return false;
    qCWarning(lcAppTransport, "cannot %s: the microphone check runs", what);
    showMessage(qstrcmp(what, "record") == 0 ? tr("Cannot record while the microphone check runs.")
                                             : tr("Cannot play while the microphone check runs."));
    return true;
}

// A recording or playback that failed after it started ends as Stop ends
// it, and says why.
void TransportControls::stopOnFailure(const QString& message)
{
    m_model.setTransportState(Idle);
    showRunning(false);
    m_timer.reset();
    m_controls.timerText->setText(clockText(0));
    showMessage(message);
}

// Open enters folders, as every file chooser's Open does, and plays files.
void TransportControls::Play()
{
    if (refuseForOtherUse("play"))
        return;
    const std::int64_t stateAtOpen = state();
    const PanelResult chosen = panels().runOpenPanel(
        {.canChooseDirectories = false, .canChooseFiles = true, .allowsMultipleSelection = false});
    if (!chosen.confirmed || !stillWanted("play", chosen.location, stateAtOpen))
        return;

    QString reason;
    std::unique_ptr<AudioPlayer> created = factory().createPlayer(chosen.location, &reason);
    if (!created) {
        refuse("play", chosen.location, reason, shownReason(reason));
        return;
    }
    if (m_player) {
        m_player->stop();
        m_player.reset();
    }
    m_player = std::move(created);
    m_player->setDelegate(this);
    if (!m_player->play()) {
        m_player.reset();
        refuse("play", chosen.location, QStringLiteral("the audio output refused it"),
                        tr("the audio output refused it"));
        return;
    }

    m_file = chosen.location.toDisplayString(QUrl::PreferLocalFile);
    m_model.setTransportState(Playing);
    showRunning(true);
    restartClock();
    if (m_controls.messageBand)
        m_controls.messageBand->clear(QStringLiteral("transport"));
}

void TransportControls::Record()
{
    const RecorderSettings settings{
        .formatID = kAudioFormatMPEG4AAC, .sampleRate = 48000, .numberOfChannels = 2};
    if (refuseForOtherUse("record"))
        return;
    const std::int64_t stateAtOpen = state();
    // The encoder's libraries are large and a panel left running all day
    // rarely records: they load while the user names the file.
    factory().prepare();
    const PanelResult chosen = panels().runSavePanel(
        {.title = QStringLiteral("Save File"), .message = QStringLiteral("Save File"),
         .allowedFileTypes = {QStringLiteral("aac")}});
    if (!chosen.confirmed || !stillWanted("record", chosen.location, stateAtOpen))
        return;

    QString reason;
    std::unique_ptr<AudioRecorder> created = factory().createRecorder(chosen.location, settings, &reason);
    if (!created) {
        refuse("record", chosen.location, reason, shownReason(reason));
        return;
    }
    if (m_recorder) {
        m_recorder->stop();
        m_recorder.reset();
    }
    m_recorder = std::move(created);
    m_recorder->setDelegate(this);
    if (!m_recorder->record()) {
        m_recorder.reset();
        refuse("record", chosen.location, QStringLiteral("the input refused to start"),
                        tr("the input refused to start"));
        return;
    }

    m_file = chosen.location.toDisplayString(QUrl::PreferLocalFile);
    m_model.setTransportState(Recording);
    showRunning(true);
    restartClock();
    if (m_controls.messageBand)
        m_controls.messageBand->clear(QStringLiteral("transport"));
}

void TransportControls::Pause()
{
    switch (state()) {
    case Playing:
        if (m_player && m_player->isPlaying())
            m_player->pause();
        m_model.setTransportState(PlaybackPaused);
        break;
    case Recording:
        if (m_recorder && m_recorder->isRecording())
            m_recorder->pause();
        m_model.setTransportState(RecordingPaused);
        break;
    case PlaybackPaused:
        if (m_player)
            m_player->play();
        m_model.setTransportState(Playing);
        break;
    case RecordingPaused:
        if (m_recorder)
            m_recorder->record();
        m_model.setTransportState(Recording);
        break;
    default:
        break;
    }
}

void TransportControls::Stop()
{
    if (state() == Idle)
        return;
    if (state() == Playing || state() == PlaybackPaused) {
        if (m_player)
            m_player->stop();
    } else if (state() == Recording || state() == RecordingPaused) {
        if (m_recorder)
            m_recorder->stop();
    }
    m_model.setTransportState(Idle);

    showRunning(false);
    m_timer.reset();
    m_controls.timerText->setText(clockText(0));
}

void TransportControls::TimerAction(QTimer*)
{
    double t = 0;
    if (state() == Playing && m_player)
        t = m_player->currentTime();
    else if (state() == Recording && m_recorder)
        t = m_recorder->currentTime();
    else
        return;
    m_controls.timerText->setText(clockText(t));
}

// The state stays "playing" and the clock keeps showing the position until
// the next Play, Record or reset.
void TransportControls::audioPlayerDidFinishPlaying(AudioPlayer* sender, bool)
{
    if (sender)
        sender->stop();
    showRunning(false);
}

// Unlike the end of the file, a failure ends the playback as Stop does.
void TransportControls::audioPlayerDecodeErrorDidOccur(AudioPlayer* sender, const QString& error)
{
    if (sender)
        sender->stop();
    if (sender && sender != m_player.get())
        return;
    if (state() == Playing || state() == PlaybackPaused)
        stopOnFailure(tr("Playing %1 stopped: %2").arg(m_file, shownReason(error)));
    else
        showRunning(false);
}

// The backend has logged the file and the reason; the window shows them.
void TransportControls::audioRecorderEncodeErrorDidOccur(AudioRecorder* sender, const QString& error)
{
    sender->stop();
    if (sender != m_recorder.get() || (state() != Recording && state() != RecordingPaused))
        return;
    stopOnFailure(tr("Recording %1 stopped: %2").arg(m_file, shownReason(error)));
}

void TransportControls::audioRecorderDidFinishRecording(AudioRecorder*, bool successfully, const QString& error)
{
    if (!successfully)
        showMessage(tr("The recording was saved, but %1").arg(shownReason(error)));
}

void TransportControls::reset()
{
    if ((state() == Playing || state() == PlaybackPaused) && m_player)
        m_player->stop();
    else if ((state() == Recording || state() == RecordingPaused) && m_recorder)
        m_recorder->stop();
    m_model.setTransportState(Idle);
    m_running = false;
}

// At shut-down whatever runs stops, and a recording's file is finished
// before the program ends (bounded: a stuck server cannot hold the exit).
void TransportControls::finish()
{
    m_player.reset();
    m_recorder.reset();
    constexpr std::chrono::seconds bound{5};
    if (m_factory && !m_factory->waitForBackgroundWork(bound))
        qCWarning(lcAppTransport) << "the transport was still finishing after" << bound.count()
                                  << "s; a recording may miss its end";
}
