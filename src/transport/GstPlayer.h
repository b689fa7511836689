#pragma once

#include "transport/AudioPlayer.h"
#include "transport/GstSupport.h"

#include <QObject>
#include <QUrl>

#include <memory>

// An AudioPlayer on playbin, audio only, through the PulseAudio sink.
// Lives on the main thread; bus messages reach it through queued calls.
class GstPlayer final : public QObject, public AudioPlayer {
    Q_OBJECT

public:
    // Pre-rolls `location` (bounded by `prerollTimeoutMs`); null with the
    // reason in `error` when it cannot be played.
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
    GstPlayer(GstPipelineOwner pipeline, QUrl location);

    // Runs on whichever thread posts the message (streaming threads mostly).
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    // Main thread.
    void endOfStream();
    void failed(const QString& error);
    bool setState(GstState state);

    GstPipelineOwner m_pipeline;
    QUrl m_location;
    AudioPlayerDelegate* m_delegate = nullptr;
    bool m_playing = false;
    bool m_stopped = false;
    mutable double m_lastPosition = 0;
};
