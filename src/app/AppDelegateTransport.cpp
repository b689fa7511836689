// Recorder and player: the transport state machine, the buttons it enables
// and the clock. Everything here runs on the main thread.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "controls/Button.h"
#include "controls/MessageBand.h"
#include "transport/AudioRecorder.h"
#include "transport/ClockText.h"
#include "transport/FilePanels.h"
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

TransportFactory& AppDelegate::transportFactory()
{
    if (!m_ports.transportFactory)
        m_ports.transportFactory = std::make_shared<GstTransportFactory>();
    return *m_ports.transportFactory;
}

FilePanels& AppDelegate::filePanels()
{
    if (!m_ports.filePanels)
        m_ports.filePanels = std::make_shared<QtFilePanels>(window);
    return *m_ports.filePanels;
}

// running: play and record off, pause and stop on; otherwise the reverse.
void AppDelegate::showTransportRunning(bool running)
{
    m_transportRunning = running;
    playButton->setEnabled(!running);
    recordButton->setEnabled(!running);
    pauseButton->setEnabled(running);
    stopButton->setEnabled(running);
}

void AppDelegate::restartClock()
{
    timer = std::make_unique<QTimer>();
    timer->setInterval(1000);
    connect(timer.get(), &QTimer::timeout, this, [this] { TimerAction(timer.get()); });
    timer->start();
}

// A location that cannot be played or recorded changes nothing: the state,
// the buttons, the timer and the clock stay as they were. `what` ("play" or
// "record") and `logged` go to the log in English; the user reads a whole
// sentence in their language, since a verb cannot be slotted into one.
void AppDelegate::refuseTransport(const char* what, const QUrl& location, const QString& logged, const QString& shown)
{
    const QString name = location.toDisplayString(QUrl::PreferLocalFile);
    qCWarning(lcAppTransport, "cannot %s \"%s\": %s", what, qUtf8Printable(name), qUtf8Printable(logged));
    const QString text = qstrcmp(what, "record") == 0 ? tr("Cannot record %1: %2") : tr("Cannot play %1: %2");
    showTransportMessage(text.arg(name, shown));
}

// In the window's message band until dismissed or the next take starts,
// and never for less than the time it takes to read.
void AppDelegate::showTransportMessage(const QString& text)
{
    if (messageBand)
        messageBand->announce(QStringLiteral("transport"), text, std::chrono::seconds(5));
}

// The file panels run their own event loop, so the device may have gone
// (or the transport moved on) by the time the user confirms: then nothing
// starts.
bool AppDelegate::stillWanted(const char* what, const QUrl& location, std::int64_t stateAtOpen)
{
    if (linked() && !linking() && !m_terminated && transportState() == stateAtOpen)
        return true;
    if (linked() && !linking())
        refuseTransport(what, location, QStringLiteral("the transport changed while the panel was open"),
                        tr("the transport changed while the panel was open"));
    else
        refuseTransport(what, location, QStringLiteral("the device is not linked"), tr("the device is not linked"));
    return false;
}

// A recording or playback that failed after it started ends as Stop ends
// it, and says why.
void AppDelegate::stopTransportOnFailure(const QString& message)
{
    m_model.setTransportState(Idle);
    showTransportRunning(false);
    timer.reset();
    timerText->setText(clockText(0));
    showTransportMessage(message);
}

// Open enters folders, as every file chooser's Open does, and plays files.
void AppDelegate::Play()
{
    const std::int64_t stateAtOpen = transportState();
    const PanelResult chosen = filePanels().runOpenPanel(
        {.canChooseDirectories = false, .canChooseFiles = true, .allowsMultipleSelection = false});
    if (!chosen.confirmed || !stillWanted("play", chosen.location, stateAtOpen))
        return;

    QString reason;
    std::unique_ptr<AudioPlayer> created = transportFactory().createPlayer(chosen.location, &reason);
    if (!created) {
        refuseTransport("play", chosen.location, reason, shownReason(reason));
        return;
    }
    if (player) {
        player->stop();
        player.reset();
    }
    player = std::move(created);
    player->setDelegate(this);
    if (!player->play()) {
        player.reset();
        refuseTransport("play", chosen.location, QStringLiteral("the audio output refused it"),
                        tr("the audio output refused it"));
        return;
    }

    m_transportFile = chosen.location.toDisplayString(QUrl::PreferLocalFile);
    m_model.setTransportState(Playing);
    showTransportRunning(true);
    restartClock();
    if (messageBand)
        messageBand->clear(QStringLiteral("transport"));
}

void AppDelegate::Record()
{
    const RecorderSettings settings{
        .formatID = kAudioFormatMPEG4AAC, .sampleRate = 48000, .numberOfChannels = 2};
    const std::int64_t stateAtOpen = transportState();
    // The encoder's libraries are large and a panel left running all day
    // rarely records: they load while the user names the file.
    transportFactory().prepare();
    const PanelResult chosen = filePanels().runSavePanel(
        {.title = QStringLiteral("Save File"), .message = QStringLiteral("Save File"),
         .allowedFileTypes = {QStringLiteral("aac")}});
    if (!chosen.confirmed || !stillWanted("record", chosen.location, stateAtOpen))
        return;

    QString reason;
    std::unique_ptr<AudioRecorder> created = transportFactory().createRecorder(chosen.location, settings, &reason);
    if (!created) {
        refuseTransport("record", chosen.location, reason, shownReason(reason));
        return;
    }
    if (recorder) {
        recorder->stop();
        recorder.reset();
    }
    recorder = std::move(created);
    recorder->setDelegate(this);
    if (!recorder->record()) {
        recorder.reset();
        refuseTransport("record", chosen.location, QStringLiteral("the input refused to start"),
                        tr("the input refused to start"));
        return;
    }

    m_transportFile = chosen.location.toDisplayString(QUrl::PreferLocalFile);
    m_model.setTransportState(Recording);
    showTransportRunning(true);
    restartClock();
    if (messageBand)
        messageBand->clear(QStringLiteral("transport"));
}

void AppDelegate::Pause()
{
    switch (transportState()) {
    case Playing:
        if (player && player->isPlaying())
            player->pause();
        m_model.setTransportState(PlaybackPaused);
        break;
    case Recording:
        if (recorder && recorder->isRecording())
            recorder->pause();
        m_model.setTransportState(RecordingPaused);
        break;
    case PlaybackPaused:
        if (player)
            player->play();
        m_model.setTransportState(Playing);
        break;
    case RecordingPaused:
        if (recorder)
            recorder->record();
        m_model.setTransportState(Recording);
        break;
    default:
        break;
    }
}

void AppDelegate::Stop()
{
    if (transportState() == Idle)
        return;
    if (transportState() == Playing || transportState() == PlaybackPaused) {
        if (player)
            player->stop();
    } else if (transportState() == Recording || transportState() == RecordingPaused) {
        if (recorder)
            recorder->stop();
    }
    m_model.setTransportState(Idle);

    showTransportRunning(false);
    timer.reset();
    timerText->setText(clockText(0));
}

void AppDelegate::TimerAction(QTimer*)
{
    double t = 0;
    if (transportState() == Playing && player)
        t = player->currentTime();
    else if (transportState() == Recording && recorder)
        t = recorder->currentTime();
    else
        return;
    timerText->setText(clockText(t));
}

// The state stays "playing" and the clock keeps showing the position until
// the next Play, Record or reset.
void AppDelegate::audioPlayerDidFinishPlaying(AudioPlayer* sender, bool)
{
    if (sender)
        sender->stop();
    showTransportRunning(false);
}

// Unlike the end of the file, a failure ends the playback as Stop does.
void AppDelegate::audioPlayerDecodeErrorDidOccur(AudioPlayer* sender, const QString& error)
{
    if (sender)
        sender->stop();
    if (sender && sender != player.get())
        return;
    if (transportState() == Playing || transportState() == PlaybackPaused)
        stopTransportOnFailure(tr("Playing %1 stopped: %2").arg(m_transportFile, shownReason(error)));
    else
        showTransportRunning(false);
}

// The backend has logged the file and the reason; the window shows them.
void AppDelegate::audioRecorderEncodeErrorDidOccur(AudioRecorder* sender, const QString& error)
{
    sender->stop();
    if (sender != recorder.get() || (transportState() != Recording && transportState() != RecordingPaused))
        return;
    stopTransportOnFailure(tr("Recording %1 stopped: %2").arg(m_transportFile, shownReason(error)));
}

void AppDelegate::audioRecorderDidFinishRecording(AudioRecorder*, bool successfully, const QString& error)
{
    if (!successfully)
        showTransportMessage(tr("The recording was saved, but %1").arg(shownReason(error)));
}

void AppDelegate::resetTransport()
{
    if ((transportState() == Playing || transportState() == PlaybackPaused) && player)
        player->stop();
    else if ((transportState() == Recording || transportState() == RecordingPaused) && recorder)
        recorder->stop();
    m_model.setTransportState(Idle);
    m_transportRunning = false;
}

// At shut-down whatever runs stops, and a recording's file is finished
// before the program ends (bounded: a stuck server cannot hold the exit).
void AppDelegate::finishTransport()
{
    player.reset();
    recorder.reset();
    constexpr std::chrono::seconds bound{5};
    if (m_ports.transportFactory && !m_ports.transportFactory->waitForBackgroundWork(bound))
        qCWarning(lcAppTransport) << "the transport was still finishing after" << bound.count()
                                  << "s; a recording may miss its end";
}
