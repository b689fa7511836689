#pragma once

#include "transport/TransportFactory.h"

// Players on playbin through the PulseAudio sink, recorders from the
// PulseAudio default source to ADTS AAC files.
class GstTransportFactory final : public TransportFactory {
public:
    std::unique_ptr<AudioPlayer> createPlayer(const QUrl& location, QString* error = nullptr) override;
    std::unique_ptr<AudioRecorder> createRecorder(const QUrl& location, const RecorderSettings& settings,
                                                  QString* error = nullptr) override;
    void prepare() override;
    bool waitForBackgroundWork(std::chrono::milliseconds bound) override;
};
