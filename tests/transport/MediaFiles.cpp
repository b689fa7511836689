#include "MediaFiles.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QUrl>

#include <fftw3.h>
#include <pulse/simple.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <complex>
#include <mutex>
#include <thread>
#include <cmath>
#include <vector>

namespace media {

namespace {

struct Pipeline {
    GstElement* element = nullptr;
    explicit Pipeline(const QString& description)
    {
        GError* error = nullptr;
        element = gst_parse_launch(description.toUtf8().constData(), &error);
        g_clear_error(&error);
    }
    ~Pipeline()
    {
        if (element) {
            gst_element_set_state(element, GST_STATE_NULL);
            gst_object_unref(element);
        }
    }
};

bool runToEnd(GstElement* pipeline)
{
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 30 * GST_SECOND,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    return ok;
}

} // namespace

bool writeTone(const QString& path, const QString& encoder, double seconds, int frequency)
{
    gst_init(nullptr, nullptr);
    const int buffers = int(std::lround(seconds * 10));
    Pipeline pipeline(QStringLiteral("audiotestsrc freq=%1 volume=0.5 samplesperbuffer=4800 num-buffers=%2 ! "
                                     "audio/x-raw,rate=48000,channels=2 ! audioconvert ! %3 ! filesink location=\"%4\"")
                          .arg(frequency).arg(buffers).arg(encoder, path));
    return pipeline.element && runToEnd(pipeline.element);
}

bool writeGarbage(const QString& path, int bytes)
{
    QByteArray noise(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(noise) == bytes;
}

bool writeTruncated(const QString& source, const QString& path, int bytes)
{
    QFile whole(source);
    QFile part(path);
    return whole.open(QIODevice::ReadOnly) && part.open(QIODevice::WriteOnly) && part.write(whole.read(bytes)) == bytes;
}

Discovered discover(const QString& path)
{
    gst_init(nullptr, nullptr);
    Discovered result;
    GError* error = nullptr;
    GstDiscoverer* discoverer = gst_discoverer_new(10 * GST_SECOND, &error);
    g_clear_error(&error);
    if (!discoverer)
        return result;
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri.constData(), &error);
    g_clear_error(&error);
    if (info && gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
        GList* streams = gst_discoverer_info_get_audio_streams(info);
        if (streams) {
            auto* audio = GST_DISCOVERER_AUDIO_INFO(streams->data);
            result.sampleRate = int(gst_discoverer_audio_info_get_sample_rate(audio));
            result.channels = int(gst_discoverer_audio_info_get_channels(audio));
            if (GstCaps* caps = gst_discoverer_stream_info_get_caps(GST_DISCOVERER_STREAM_INFO(audio))) {
                gchar* text = gst_caps_to_string(caps);
                result.caps = QString::fromUtf8(text);
                g_free(text);
                gst_caps_unref(caps);
            }
            result.seconds = double(gst_discoverer_info_get_duration(info)) / double(GST_SECOND);
            result.ok = true;
        }
        gst_discoverer_stream_info_list_free(streams);
    }
    if (info)
        gst_discoverer_info_unref(info);
    g_object_unref(discoverer);
    return result;
}

Decoded decode(const QString& path)
{
    gst_init(nullptr, nullptr);
    Decoded result;
    Pipeline pipeline(QStringLiteral("filesrc location=\"%1\" ! decodebin ! audioconvert ! audioresample ! "
                                     "audio/x-raw,format=S16LE,rate=48000,channels=2 ! appsink name=out sync=false")
                          .arg(path));
    if (!pipeline.element)
        return result;
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline.element), "out");
    gst_element_set_state(pipeline.element, GST_STATE_PLAYING);
    std::vector<qint16> left;
    while (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 5 * GST_SECOND)) {
        GstMapInfo map;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const auto* samples = reinterpret_cast<const qint16*>(map.data);
            for (gsize i = 0; i + 1 < map.size / sizeof(qint16); i += 2)
                left.push_back(samples[i]);
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }
    result.ok = gst_app_sink_is_eos(GST_APP_SINK(sink)) && !left.empty();
    gst_object_unref(sink);
    result.left.reserve(left.size());
    double sum = 0;
    for (const qint16 sample : left) {
        const float v = float(sample) / 32768.0f;
        result.left.push_back(v);
        sum += double(v) * v;
    }
    if (!left.empty()) {
        result.seconds = double(left.size()) / 48000.0;
        result.rms = std::sqrt(sum / double(left.size()));
    }
    return result;
}

namespace {

constexpr double kSilence = 0.01;

double windowRms(const float* x, std::size_t n)
{
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(n));
}

double goertzelShare(const float* x, std::size_t n, double frequency)
{
    const double w = 2 * M_PI * frequency / 48000.0;
    const double coefficient = 2 * std::cos(w);
    double s1 = 0, s2 = 0, energy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double s0 = x[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
        energy += double(x[i]) * x[i];
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return energy > 0 ? 2 * power / (double(n) * energy) : 0;
}

} // namespace

double Decoded::share(double frequency) const
{
    // Whole 50 ms windows, so any tone with a whole number of cycles in
    // 50 ms falls exactly on the bin.
    constexpr std::size_t window = 2400;
    std::vector<double> shares;
    for (std::size_t at = 0; at + window <= left.size(); at += window) {
        if (windowRms(left.data() + at, window) < kSilence)
            continue; // silence has no frequency
        shares.push_back(goertzelShare(left.data() + at, window, frequency));
    }
    if (shares.empty())
        return 0;
    // The median, so the few windows where the sound starts, stops or
    // resumes do not decide.
    std::nth_element(shares.begin(), shares.begin() + std::ptrdiff_t(shares.size() / 2), shares.end());
    return shares[shares.size() / 2];
}

double Decoded::minimumWindowRms(double from, double to) const
{
    constexpr std::size_t window = 2400;
    const auto first = std::size_t(from * 48000);
    const auto last = std::min(left.size(), std::size_t(to * 48000));
    double minimum = 1;
    for (std::size_t at = first; at + window <= last; at += window)
        minimum = std::min(minimum, windowRms(left.data() + at, window));
    return first + window <= last ? minimum : 0;
}

std::vector<float> chirp(double seconds, double from, double to)
{
    const auto n = std::size_t(seconds * 48000);
    std::vector<float> samples(n);
    const double sweep = (to - from) / seconds;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = double(i) / 48000.0;
        samples[i] = float(0.5 * std::sin(2 * M_PI * (from * t + sweep * t * t / 2)));
    }
    return samples;
}

bool writeWav(const QString& path, const std::vector<float>& samples)
{
    QByteArray data;
    data.reserve(int(samples.size() * 4));
    for (const float sample : samples) {
        const auto value = qint16(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767));
        for (int channel = 0; channel < 2; ++channel) {
            data.append(char(value & 0xff));
            data.append(char((value >> 8) & 0xff));
        }
    }
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    QByteArray header = "RIFF" + le32(quint32(36 + data.size())) + "WAVEfmt " + le32(16) + le16(1) + le16(2)
                        + le32(48000) + le32(48000 * 4) + le16(4) + le16(16) + "data" + le32(quint32(data.size()));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(header + data) == header.size() + data.size();
}

long long startOf(const std::vector<float>& pattern, const std::vector<float>& signal)
{
    // Circular cross-correlation through the FFT, long enough that no lag
    // in range wraps onto another.
    std::size_t n = 1;
    while (n < pattern.size() + signal.size())
        n <<= 1;
    std::vector<double> a(n, 0.0), b(n, 0.0), c(n);
    std::copy(signal.begin(), signal.end(), a.begin());
    std::copy(pattern.begin(), pattern.end(), b.begin());
    std::vector<std::complex<double>> fa(n / 2 + 1), fb(n / 2 + 1);
    const int size = int(n);
    fftw_plan pa = fftw_plan_dft_r2c_1d(size, a.data(), reinterpret_cast<fftw_complex*>(fa.data()), FFTW_ESTIMATE);
    fftw_plan pb = fftw_plan_dft_r2c_1d(size, b.data(), reinterpret_cast<fftw_complex*>(fb.data()), FFTW_ESTIMATE);
    fftw_execute(pa);
    fftw_execute(pb);
    for (std::size_t k = 0; k < fa.size(); ++k)
        fa[k] *= std::conj(fb[k]);
    fftw_plan pc = fftw_plan_dft_c2r_1d(size, reinterpret_cast<fftw_complex*>(fa.data()), c.data(), FFTW_ESTIMATE);
    fftw_execute(pc);
    fftw_destroy_plan(pa);
    fftw_destroy_plan(pb);
    fftw_destroy_plan(pc);

    long long best = 0;
    double peak = -1;
    const auto lags = static_cast<long long>(n);
    for (long long lag = -static_cast<long long>(pattern.size()); lag < static_cast<long long>(signal.size()); ++lag) {
        const double value = c[std::size_t((lag + lags) % lags)];
        if (value > peak) {
            peak = value;
            best = lag;
        }
    }
    return best;
}

struct ReferenceCapture::State {
    pa_simple* stream = nullptr;
    std::atomic<bool> stop{false};
    std::thread reader;
    mutable std::mutex mutex;
    std::vector<float> left; // guarded by mutex

    // Reader thread: 10 ms at a time, as the server delivers it.
    void read()
    {
        std::array<qint16, 960> block{};
        while (!stop) {
            int error = 0;
            if (pa_simple_read(stream, block.data(), sizeof(block), &error) < 0)
                return;
            std::lock_guard lock(mutex);
            for (std::size_t i = 0; i < block.size(); i += 2)
                left.push_back(float(block[i]) / 32768.0f);
        }
    }
};

ReferenceCapture::ReferenceCapture(const QString& source)
    : m_state(new State)
{
    const pa_sample_spec spec{PA_SAMPLE_S16LE, 48000, 2};
    const pa_buffer_attr attributes{std::uint32_t(-1), std::uint32_t(-1), std::uint32_t(-1), std::uint32_t(-1), 1920};
    const QByteArray device = source.toUtf8();
    int error = 0;
    m_state->stream = pa_simple_new(nullptr, "quorel-panel-tests", PA_STREAM_RECORD, device.constData(), "reference",
                                    &spec, nullptr, &attributes, &error);
    if (m_state->stream)
        m_state->reader = std::thread([state = m_state] { state->read(); });
}

ReferenceCapture::~ReferenceCapture()
{
    m_state->stop = true;
    if (m_state->reader.joinable())
        m_state->reader.join();
    if (m_state->stream)
        pa_simple_free(m_state->stream);
    delete m_state;
}

bool ReferenceCapture::running() const
{
    return m_state->stream != nullptr;
}

long long ReferenceCapture::frames() const
{
    std::lock_guard lock(m_state->mutex);
    return static_cast<long long>(m_state->left.size());
}

std::vector<float> ReferenceCapture::left() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->left;
}

long long recordingStartIn(const std::vector<float>& reference, const std::vector<float>& recording)
{
    // Past the encoder's first frames, half a second long.
    constexpr std::size_t from = 4800, length = 24000;
    if (recording.size() < from + length)
        return -1;
    const std::vector<float> stretch(recording.begin() + from, recording.begin() + from + length);
    return startOf(stretch, reference) - static_cast<long long>(from);
}

SmallFilesystem::SmallFilesystem(int bytes)
{
    QProcess mount;
    mount.start("mount", {"-t", "tmpfs", "-o", QStringLiteral("size=%1").arg(bytes), "tmpfs", m_dir.path()});
    m_mounted = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
    if (!m_mounted)
        m_why = QStringLiteral("cannot mount a small tmpfs here (needs root): %1")
                    .arg(QString::fromLocal8Bit(mount.readAllStandardError()).trimmed());
}

SmallFilesystem::~SmallFilesystem()
{
    if (m_mounted)
        QProcess::execute("umount", {"-l", m_dir.path()});
}

QString SmallFilesystem::filePath(const QString& name) const
{
    return m_dir.filePath(name);
}

struct StallMeter::Ticks {
    QTimer timer;
    QElapsedTimer sinceLast;
    qint64 longest = 0;
};

StallMeter::StallMeter()
    : m_ticks(new Ticks)
{
    m_ticks->sinceLast.start();
    m_ticks->timer.setInterval(10);
    QObject::connect(&m_ticks->timer, &QTimer::timeout, [ticks = m_ticks] {
        ticks->longest = std::max(ticks->longest, ticks->sinceLast.restart());
    });
    m_ticks->timer.start();
}

StallMeter::~StallMeter()
{
    delete m_ticks;
}

qint64 StallMeter::longest() const
{
    return std::max(m_ticks->longest, m_ticks->sinceLast.elapsed());
}

} // namespace media
