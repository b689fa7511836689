#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

#include "controls/ButtonDelegate.h"
#include "transport/AudioPlayer.h"
#include "transport/AudioRecorder.h"
#include "transport/FilePanels.h"
#include "transport/TransportFactory.h"

class Button;
class MessageBand;
class PanelModel;
class QLabel;
class QTimer;
class QUrl;
class QWidget;

// The recorder and the player behind the Play, Record, Pause and Stop
// buttons: the transport state machine (kept in the model), the buttons it
// enables and the clock. Main thread.
class TransportControls final : public QObject,
                                public ButtonDelegate,
                                public AudioPlayerDelegate,
                                public AudioRecorderDelegate {
    Q_OBJECT

public:
    struct Controls {
        // The file panels open over it.
        QWidget* window = nullptr;
        Button* playButton = nullptr;
        Button* recordButton = nullptr;
        Button* pauseButton = nullptr;
        Button* stopButton = nullptr;
        QLabel* timerText = nullptr;
        MessageBand* messageBand = nullptr;
    };

    // Empty factories mean GStreamer and the desktop's file dialogs.
    TransportControls(PanelModel& model, Controls controls, std::shared_ptr<TransportFactory> factory,
                      std::shared_ptr<FilePanels> panels, QObject* parent = nullptr);
    // Whatever runs stops, and a recording's file is finished (bounded).
    ~TransportControls() override;

    void Play() override;
    void Record() override;
    void Pause() override;
    void Stop() override;
    void TimerAction(QTimer* sender);
    void audioPlayerDidFinishPlaying(AudioPlayer* sender, bool successfully) override;
    void audioPlayerDecodeErrorDidOccur(AudioPlayer* sender, const QString& error) override;
    void audioRecorderEncodeErrorDidOccur(AudioRecorder* sender, const QString& error) override;
    void audioRecorderDidFinishRecording(AudioRecorder* sender, bool successfully, const QString& error) override;

    // The buttons take their delegate, the clock shows zero.
    void wire();
    // Stops whatever runs and returns to idle; buttons and clock untouched.
    void reset();
    // The buttons as a link (Play and Record, or Pause and Stop while
    // something still runs) or an unlink (none, the clock at zero) leave them.
    void enable(bool enabled);
    // Shut-down: nothing new starts, the clock stops.
    void shutDown();
    // While `running` says so, something else holds the device's input and
    // output (the microphone check): Play and Record refuse.
    void setOtherUse(std::function<bool()> running) { m_otherUse = std::move(running); }

    // What runs now, if anything.
    QTimer* clock() const { return m_timer.get(); }
    AudioPlayer* player() const { return m_player.get(); }
    AudioRecorder* recorder() const { return m_recorder.get(); }

private:
    TransportFactory& factory();
    FilePanels& panels();
    void showRunning(bool running);
    void restartClock();
    void refuse(const char* what, const QUrl& location, const QString& logged, const QString& shown);
    void showMessage(const QString& text);
    bool stillWanted(const char* what, const QUrl& location, std::int64_t stateAtOpen);
    bool refuseForOtherUse(const char* what);
    void stopOnFailure(const QString& message);
    void finish();
    std::int64_t state() const;

    PanelModel& m_model;
    Controls m_controls;
    std::shared_ptr<TransportFactory> m_factory;
    std::shared_ptr<FilePanels> m_panels;
    std::unique_ptr<AudioPlayer> m_player;
    std::unique_ptr<AudioRecorder> m_recorder;
    std::unique_ptr<QTimer> m_timer;
    std::function<bool()> m_otherUse;
    bool m_shutDown = false;
    // The buttons show something running (Stop and Pause usable).
    bool m_running = false;
    // The file being played or recorded, as the user named it.
    QString m_file;
};
