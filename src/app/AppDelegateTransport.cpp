// Recorder and player: the transport state machine, the buttons it enables
// and the clock. Everything here runs on the main thread.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "controls/Button.h"
#include "transport/AudioRecorder.h"
#include "transport/ClockText.h"
#include "transport/FilePanels.h"
#include "transport/GstTransportFactory.h"
#include "transport/QtFilePanels.h"

#include <QLabel>
#include <QLoggingCategory>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

Q_LOGGING_CATEGORY(lcAppTransport, "quorel.app.transport")

namespace {

enum TransportState : std::int64_t {
    Idle = 0,
    Playing = 1,
    PlaybackPaused = 2,
    Recording = 3,
    RecordingPaused = 4,
};

const QString kClockZero = QStringLiteral("00:00:00");

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
// the buttons, the timer and the clock stay as they were.
void AppDelegate::refuseTransport(const char* what, const QUrl& location, const QString& reason)
{
    const QString name = location.toDisplayString(QUrl::PreferLocalFile);
    qCWarning(lcAppTransport, "cannot %s \"%s\": %s", what, qUtf8Printable(name), qUtf8Printable(reason));
    if (timerText && timerText->isVisible())
        QToolTip::showText(timerText->mapToGlobal(QPoint(0, timerText->height())),
                           tr("Cannot %1 %2: %3").arg(QString::fromLatin1(what), name, reason), timerText, {},
                           5000);
}

void AppDelegate::Play()
{
    const PanelResult chosen = filePanels().runOpenPanel(
        {.canChooseDirectories = true, .canChooseFiles = true, .allowsMultipleSelection = false});
    if (!chosen.confirmed)
        return;

    QString reason;
    std::unique_ptr<AudioPlayer> created = transportFactory().createPlayer(chosen.location, &reason);
    if (!created) {
        refuseTransport("play", chosen.location, reason);
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
        refuseTransport("play", chosen.location, QStringLiteral("the audio output refused it"));
        return;
    }

    actionStatus = Playing;
    showTransportRunning(true);
    restartClock();
}

void AppDelegate::Record()
{
    const RecorderSettings settings{
        .formatID = kAudioFormatMPEG4AAC, .sampleRate = 48000, .numberOfChannels = 2};
    const PanelResult chosen = filePanels().runSavePanel(
        {.title = QStringLiteral("Save File"), .message = QStringLiteral("Save File"),
         .allowedFileTypes = {QStringLiteral("aac")}});
    if (!chosen.confirmed)
        return;

    QString reason;
    std::unique_ptr<AudioRecorder> created = transportFactory().createRecorder(chosen.location, settings, &reason);
    if (!created) {
        refuseTransport("record", chosen.location, reason);
        return;
    }
    if (recorder) {
        recorder->stop();
        recorder.reset();
    }
    recorder = std::move(created);
    if (!recorder->record()) {
        recorder.reset();
        refuseTransport("record", chosen.location, QStringLiteral("the input refused to start"));
        return;
    }

    actionStatus = Recording;
    showTransportRunning(true);
    restartClock();
}

void AppDelegate::Pause()
{
    switch (actionStatus) {
    case Playing:
        if (player && player->isPlaying())
            player->pause();
        actionStatus = PlaybackPaused;
        break;
    case Recording:
        if (recorder && recorder->isRecording())
            recorder->pause();
        actionStatus = RecordingPaused;
        break;
    case PlaybackPaused:
        if (player)
            player->play();
        actionStatus = Playing;
        break;
    case RecordingPaused:
        if (recorder)
            recorder->record();
        actionStatus = Recording;
        break;
    default:
        break;
    }
}

void AppDelegate::Stop()
{
    if (actionStatus == Idle)
        return;
    if (actionStatus == Playing || actionStatus == PlaybackPaused) {
        if (player)
            player->stop();
    } else if (actionStatus == Recording || actionStatus == RecordingPaused) {
        if (recorder)
            recorder->stop();
    }
    actionStatus = Idle;

    showTransportRunning(false);
    timer.reset();
    timerText->setText(kClockZero);
}

void AppDelegate::TimerAction(QTimer*)
{
    double t = 0;
    if (actionStatus == Playing && player)
        t = player->currentTime();
    else if (actionStatus == Recording && recorder)
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

void AppDelegate::audioPlayerDecodeErrorDidOccur(AudioPlayer* sender, const QString&)
{
    if (sender)
        sender->stop();
    showTransportRunning(false);
}

void AppDelegate::resetTransport()
{
    if ((actionStatus == Playing || actionStatus == PlaybackPaused) && player)
        player->stop();
    else if ((actionStatus == Recording || actionStatus == RecordingPaused) && recorder)
        recorder->stop();
    actionStatus = Idle;
}
