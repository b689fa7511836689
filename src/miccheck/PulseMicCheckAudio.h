#pragma once

#include "miccheck/MicCheckAudio.h"

#include "audio/PulseConnection.h"
#include "audio/PulseHandles.h"
#include "base/WorkQueue.h"

#include <QObject>

#include <memory>

// The microphone check on the panel's connection to the sound server: a
// record stream on the default input that keeps the samples in memory, and
// a playback stream on the default output that plays them and drains.
// Streams are made and fed on the connection's loop thread; what the check
// hears is posted to the main thread, where a stop() drops anything of the
// run it ended still on its way.
class PulseMicCheckAudio final : public QObject, public MicCheckAudio, private PulseConnection::Observer {
    Q_OBJECT

public:
    explicit PulseMicCheckAudio(std::shared_ptr<PulseConnection> connection, QObject* parent = nullptr);
    ~PulseMicCheckAudio() override;

    void setListener(Listener* listener) override { m_listener = listener; }
    bool record(std::int64_t frames) override;
    bool play(std::vector<std::int16_t> samples) override;
    void stop() override;

private:
    enum class Mode { Idle, Recording, Playing };

    // Loop thread, or loop locked.
    void connectionLost(int error) override;
    void closeStream();
    bool openStream(Mode mode);
    void onStreamState(pa_stream* stream);
    void onReadable(pa_stream* stream);
    void onWritable(pa_stream* stream, std::size_t bytes);
    void onDrained(bool ok);
    void fail(Failure failure, const QString& detail);
    // Hands `call` to the main thread, for the run that is current now.
    template <typename Call>
    void post(Call call);

    static void streamStateThunk(pa_stream* stream, void* self);
    static void readThunk(pa_stream* stream, std::size_t bytes, void* self);
    static void writeThunk(pa_stream* stream, std::size_t bytes, void* self);
    static void drainThunk(pa_stream* stream, int success, void* self);

    std::shared_ptr<PulseConnection> m_connection;
    MainThreadLink<PulseMicCheckAudio> m_link;
    // Main thread.
    Listener* m_listener = nullptr;
    // Guarded by the loop's lock.
    Mode m_mode = Mode::Idle;
    // Counts runs, so that what an ended one posted is dropped; changed
    // only on the main thread.
    std::uint64_t m_run = 0;
    PulseStreamPtr m_stream;
    PulseOperationPtr m_drain;
    std::vector<std::int16_t> m_samples;
    std::size_t m_wanted = 0;
    std::size_t m_played = 0;
};
