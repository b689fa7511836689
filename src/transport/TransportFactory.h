#pragma once

#include "transport/AudioPlayer.h"
#include "transport/AudioRecorder.h"

#include <QString>
#include <QUrl>

#include <memory>

// Makes the players and recorders the controller uses; GStreamer in the
// product, fakes in tests. Main thread only.
class TransportFactory {
public:
    virtual ~TransportFactory() = default;

    // A player for `location`, ready to play; null when it cannot be played,
    // with the reason in `error` when given.
    virtual std::unique_ptr<AudioPlayer> createPlayer(const QUrl& location, QString* error = nullptr) = 0;
    // A recorder writing `location` with `settings`; null when it cannot be
    // set up, with the reason in `error` when given.
    virtual std::unique_ptr<AudioRecorder> createRecorder(const QUrl& location, const RecorderSettings& settings,
                                                          QString* error = nullptr) = 0;
};
