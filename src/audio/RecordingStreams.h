#pragma once

#include "audio/AudioSystem.h"

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>

// A stream recording from an input device, as the sound server names it.
struct RecordingStream {
    // The server's id for the stream.
    std::uint32_t id = 0;
    // "application.name" and "application.process.binary"; empty when the
    // client gave none.
    QString application;
    QString binary;

    bool operator==(const RecordingStream&) const = default;
};

// The streams recording from one input device (the linked device's), for
// what follows the applications that record. Main thread.
class RecordingStreams : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Follows the streams recording from the input device `input` (an id of
    // the audio system); kAudioObjectUnknown follows none.
    virtual void follow(AudioObjectID input) = 0;

signals:
    // The streams recording now, in the order they opened (those already
    // there when following began first, in the server's order); told when
    // the list changes.
    void streamsChanged(const QList<RecordingStream>& streams);
};
