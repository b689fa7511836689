#pragma once

#include "transport/AudioPlayer.h"
#include "base/WorkQueue.h"

#include <QObject>
#include <QUrl>

#include <memory>

// An AudioPlayer on playbin, audio only, through the PulseAudio sink.
//
// Opening (pre-rolling, bounded), state changes that may wait for the
// streaming threads, and tearing down run on the player's own WorkQueue;
// the front object lives on the main thread and hears of the end and of
// failures through a MainThreadLink.
class GstPlayer final : public QObject, public AudioPlayer {
    Q_OBJECT

public:
    // Refuses at once what is no file to play (a folder, a FIFO, a device,
    // a missing file): null with the reason in `error`. Anything else is
    // opened by the first play(), in the background; a location that
    // cannot be played, or does not pre-roll within `prerollTimeoutMs`,
    // then reaches the delegate as a decode error.
    static std::unique_ptr<GstPlayer> create(const QUrl& location, QString* error = nullptr,
                                             int prerollTimeoutMs = 5000);
    ~GstPlayer() override;

    void setDelegate(AudioPlayerDelegate* delegate) override;
    bool play() override;
    void pause() override;
    void stop() override;
    bool isPlaying() const override;
    double currentTime() const override;

private:
    struct Session;
    GstPlayer(const QUrl& location, int prerollTimeoutMs);

    // Main thread.
    void endOfStream();
    void failed(const QString& error);

    std::shared_ptr<Session> m_session;
    WorkQueue m_queue;
    AudioPlayerDelegate* m_delegate = nullptr;
    bool m_opening = false;
    bool m_playing = false;
    bool m_stopped = false;
    bool m_failed = false;
    mutable double m_lastPosition = 0;
};
