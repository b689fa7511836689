#pragma once

#include <QString>
#include <QTemporaryDir>

#include <vector>

// Audio files made and inspected through GStreamer, for the transport tests.
namespace media {

// Writes `seconds` of a `frequency` Hz stereo tone at 48000 Hz with the
// encoder chain `encoder` ("wavenc", "flacenc", "vorbisenc ! oggmux",
// "lamemp3enc", "avenc_aac ! aacparse ! audio/mpeg,stream-format=adts").
bool writeTone(const QString& path, const QString& encoder, double seconds, int frequency = 1000);

// Writes `bytes` of noise that no demuxer recognises.
bool writeGarbage(const QString& path, int bytes = 16384);
// Writes the first `bytes` of `source` to `path`.
bool writeTruncated(const QString& source, const QString& path, int bytes);

struct Discovered {
    bool ok = false;
    QString caps;       // caps of the first audio stream
    int sampleRate = 0;
    int channels = 0;
    double seconds = 0; // as the container or the parser estimates it
};
Discovered discover(const QString& path);

struct Decoded {
    bool ok = false;
    double seconds = 0; // decoded frames / 48000
    double rms = 0;     // of the first channel, full scale 1.0
    std::vector<float> left;

    // The part of the first channel's energy at `frequency` Hz in its
    // typical sounding 50 ms window (1 for a pure tone of that frequency,
    // near 0 for noise or another tone).
    double share(double frequency) const;
    // The RMS of the quietest 50 ms of the first channel between `from`
    // and `to` seconds; a gap of silence shows as a low value.
    double minimumWindowRms(double from, double to) const;
};
// Decodes the whole file to 48000 Hz stereo.
Decoded decode(const QString& path);

// A linear chirp from `from` to `to` Hz over `seconds`, at 48000 Hz,
// amplitude 0.5: its cross-correlation has one sharp peak, so where it
// starts in a recording is found to the sample.
std::vector<float> chirp(double seconds, double from = 300, double to = 6000);
// Writes `samples` (48000 Hz) to both channels of a 16-bit WAV file.
bool writeWav(const QString& path, const std::vector<float>& samples);
// Where `pattern` starts in `signal`, in samples, by cross-correlation
// over lags from -pattern length to the signal's length: negative when the
// signal began after the pattern had started (its beginning is missing).
long long startOf(const std::vector<float>& pattern, const std::vector<float>& signal);

// Captures a PulseAudio source from construction on, on a thread of its
// own and through libpulse, so GStreamer stays untouched until the code
// under test uses it: the reference a recording of the same source is
// placed against. frames() is how far it got, so a moment (a click on
// "Save") can be marked in it.
class ReferenceCapture {
public:
    explicit ReferenceCapture(const QString& source);
    ~ReferenceCapture();
    ReferenceCapture(const ReferenceCapture&) = delete;
    ReferenceCapture& operator=(const ReferenceCapture&) = delete;
    bool running() const;
    long long frames() const;
    // The first channel so far, full scale 1.0.
    std::vector<float> left() const;

private:
    struct State;
    State* m_state;
};

// Where a recording of the source began in the reference, in frames: its
// decoded first channel is placed against the reference by
// cross-correlating a stretch from its first half second.
long long recordingStartIn(const std::vector<float>& reference, const std::vector<float>& recording);

// A tmpfs of `bytes` mounted on a folder of its own, unmounted again at
// the end: a disk that fills up. Mounting needs root (as in CI); where it
// is not allowed, mounted() is false and why() says so.
class SmallFilesystem {
public:
    explicit SmallFilesystem(int bytes);
    ~SmallFilesystem();
    SmallFilesystem(const SmallFilesystem&) = delete;
    SmallFilesystem& operator=(const SmallFilesystem&) = delete;
    bool mounted() const { return m_mounted; }
    QString why() const { return m_why; }
    QString filePath(const QString& name) const;

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};

// How long the event loop may go without turning: far below any freeze
// (the faults it guards against held the window for seconds or for good),
// with room for a loaded machine's scheduling.
inline constexpr int kResponsiveMs = 250;

// Measures, from construction on, the longest time the event loop went
// without turning (a 10 ms timer's longest gap between ticks).
class StallMeter {
public:
    StallMeter();
    ~StallMeter();
    qint64 longest() const;

private:
    struct Ticks;
    Ticks* m_ticks;
};

} // namespace media
