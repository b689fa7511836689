#pragma once

#include "transport/AudioPlayer.h"
#include "transport/AudioRecorder.h"

#include <QString>
#include <QUrl>

#include <chrono>

#include <memory>

// Makes the players and recorders the controller uses; GStreamer in the
// product, fakes in tests. Main thread only.
class TransportFactory {
public:
    virtual ~TransportFactory() = default;

    // A player for `location`; null when it is no file to play, with the
    // reason in `error` when given. It opens the file when it first plays,
    // without holding the caller; a file that then does not play reaches
    // its delegate.
    virtual std::unique_ptr<AudioPlayer> createPlayer(const QUrl& location, QString* error = nullptr) = 0;
    // A recorder writing `location` with `settings`; null when the location
    // cannot take a recording, with the reason in `error` when given. The
    // input and the file are opened when it first records; a failure there
    // reaches its delegate.
    virtual std::unique_ptr<AudioRecorder> createRecorder(const QUrl& location, const RecorderSettings& settings,
                                                          QString* error = nullptr) = 0;

    // Starts, in the background, whatever makes the first recorder slower
    // than later ones. Called as the save panel of a recording opens; only
    // the first call does anything.
    virtual void prepare() {}
    // Waits, at most `bound`, until the players and recorders already
    // dropped have finished in the background (a recording's file is
    // closed); false when some had not. Called at shut-down.
    virtual bool waitForBackgroundWork(std::chrono::milliseconds) { return true; }
};
