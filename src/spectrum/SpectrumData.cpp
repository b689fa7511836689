#include "spectrum/SpectrumData.h"

#include "spectrum/FrequencyPlot.h"
#include "spectrum/SpectrumLog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>
#include <new>

Q_LOGGING_CATEGORY(lcSpectrum, "quorel.spectrum")

namespace {

// Running out of memory for the analysis is the one fatal stop: the record
// is never handed out incomplete. Unlike assert(), this stays in release builds.
void requireAllocated(const void* pointer, const char* expression)
{
    if (!pointer)
        qFatal("%s: IcmCreateFreqPlot: Assertion `%s' failed.", __FILE__, expression);
}

// Decibels relative to full scale of a bin's magnitude: divided by N,
// doubled, log10, times 20, all in double.
double decibels(double magnitude, std::int32_t fftSize)
{
    double value = magnitude / fftSize;
    value = value * 2.0;
    return 20.0 * std::log10(value);
}

double magnitude(const fftw_complex& bin)
{
    const double re = bin[0];
    const double im = bin[1];
    return std::sqrt(re * re + im * im);
}

// 128 at 0 dB and above, down to 0 at -128 dB and below (and for -inf).
std::int32_t barValue(float p)
{
    if (p > 0.0f)
        return 128;
    return 128 + static_cast<std::int32_t>(std::max(static_cast<double>(p), -128.0));
}

// Per-bin error bound of the two transforms together, relative to
// log2(N) * eps * sqrt(N * energy of the windowed frame): Cooley-Tukey's
// L2 error bound, with room to spare.
constexpr double kTransformErrorScale = 16.0 * 0x1p-53;
// Covers the rounding of the square root, division and logarithm.
constexpr double kDecibelSlack = 1e-6;

// v / 16 rounded half up: 0 .. 8.
std::int32_t levelOf(std::int32_t value)
{
    const float scaled = static_cast<float>(value) * 0.0078125f * 8.0f;
    return static_cast<std::int32_t>(static_cast<double>(scaled) + 0.5);
}

// The largest frame a 32-bit byte count can describe (bytes / 4).
constexpr std::int32_t kMaxFrameLength = 0x7fffffff / 4;

bool wholeFrames(std::int32_t bytes)
{
    if (bytes > 0 && bytes % 4 == 0)
        return true;
    qCWarning(lcSpectrum) << "spectrum: ignoring a block of" << bytes
                          << "bytes, not whole 16-bit stereo frames";
    return false;
}

} // namespace

FrequencyPlot* IcmCreateFreqPlot(std::int32_t n)
{
    if (n < 1 || n > kMaxFrameLength) {
        qCWarning(lcSpectrum) << "spectrum: cannot analyse frames of" << n << "samples";
        return nullptr;
    }
    auto* pPlot = static_cast<FrequencyPlot*>(std::calloc(1, sizeof(FrequencyPlot)));
    requireAllocated(pPlot, "0 != pPlot");
    const std::int32_t N = 2 * n;
    const auto count = static_cast<std::size_t>(N);
    pPlot->fft_size = N;
    pPlot->x = static_cast<float*>(std::calloc(count, sizeof(float)));
    requireAllocated(pPlot->x, "0 != pPlot->x");
    pPlot->power = static_cast<float*>(std::calloc(count, sizeof(float)));
    requireAllocated(pPlot->power, "0 != pPlot->power");
    pPlot->window = static_cast<float*>(std::calloc(count, sizeof(float)));
    requireAllocated(pPlot->window, "0 != pPlot->window");
    IcmCreateHammingWindow(N, pPlot->window);
    pPlot->fft_in = static_cast<fftw_complex*>(fftw_malloc(count * sizeof(fftw_complex)));
    requireAllocated(pPlot->fft_in, "0 != pPlot->fft_in");
    pPlot->fft_out = static_cast<fftw_complex*>(fftw_malloc(count * sizeof(fftw_complex)));
    requireAllocated(pPlot->fft_out, "0 != pPlot->fft_out");
    pPlot->fft_real = static_cast<double*>(fftw_malloc(count * sizeof(double)));
    requireAllocated(pPlot->fft_real, "0 != pPlot->fft_real");
    // An FFTW_ESTIMATE plan depends only on size and alignment, so making it
    // once gives the same transform as making it for every frame.
    pPlot->plan = fftw_plan_dft_1d(N, pPlot->fft_in, pPlot->fft_out, FFTW_FORWARD, FFTW_ESTIMATE);
    requireAllocated(pPlot->plan, "0 != pPlot->plan");
    // The real transform's length depends on the bins the bars read; it is
    // planned at the first analysis.
    return pPlot;
}

void IcmCreateHammingWindow(std::int32_t n, float* window)
{
    const auto step = static_cast<float>(6.283185307179586 / (n - 1));
    for (std::int32_t i = 0; i < n; ++i) {
        const float angle = static_cast<float>(i) * step;
        window[i] = static_cast<float>(0.54 + -0.46 * std::cos(static_cast<double>(angle)));
    }
}

void IcmComputeFreqPlot(FrequencyPlot* plot, const std::int16_t* samples, std::int32_t* out,
                        std::int32_t count)
{
    const std::int32_t N = plot->fft_size;
    const std::int32_t h = N / 2;
    float* x = plot->x;

    std::memcpy(x, x + h, static_cast<std::size_t>(h) * sizeof(float));
    // A silent frame (history and new samples all zero) transforms to zero:
    // every bin is -inf dBFS and every bar 0. Silence is the common case
    // while linked, so its transforms are skipped.
    if (std::all_of(samples, samples + h, [](std::int16_t s) { return s == 0; })
        && std::all_of(x, x + h, [](float v) { return v == 0.0f; })) {
        std::fill(x + h, x + N, 0.0f);
        if (count > 0) {
            const std::int32_t stride = h / count;
            for (std::int32_t j = 0; j < count; ++j) {
                plot->power[j * stride] = -std::numeric_limits<float>::infinity();
                out[j] = 0;
            }
        }
        return;
    }
    for (std::int32_t i = 0; i < h; ++i)
        x[h + i] = static_cast<float>(samples[i] * 0.000030517578125);
    if (count < 1)
        return;

    // Bin fold * m of the N-point transform is bin m of the frame folded to
    // M = N / fold points (the sum of its `fold` stretches of M samples). The
    // bars read multiples of the stride, so folding by gcd(stride, N) gives
    // them all from a transform `fold` times shorter (4 for 9600-byte blocks).
    const std::int32_t stride = h / count;
    const std::int32_t fold = std::gcd(stride, N);
    const std::int32_t M = N / fold;
    if (plot->fold != fold) {
        if (plot->plan_real)
            fftw_destroy_plan(plot->plan_real);
        plot->plan_real = fftw_plan_dft_r2c_1d(M, plot->fft_real, plot->fft_out, FFTW_ESTIMATE);
        requireAllocated(plot->plan_real, "0 != pPlot->plan_real");
        plot->fold = fold;
    }
    double energy = 0.0;
    for (std::int32_t i = 0; i < M; ++i) {
        const auto windowed = static_cast<double>(x[i] * plot->window[i]);
        plot->fft_real[i] = windowed;
        energy += windowed * windowed;
    }
    for (std::int32_t start = M; start < N; start += M) {
        for (std::int32_t i = 0; i < M; ++i) {
            const auto windowed = static_cast<double>(x[start + i] * plot->window[start + i]);
            plot->fft_real[i] += windowed;
            energy += windowed * windowed;
        }
    }
    fftw_execute(plot->plan_real);

    // Only the bins the bars read are converted to decibels. Each bar value
    // is kept when the whole error interval of its bin gives that value.
    // The folded frame's energy is at most fold * energy, so the shorter
    // transform's bound, log2(M) * eps * sqrt(M * fold * energy), stays
    // within the N-point one; the fold's sums round at most fold - 1 times
    // each, moving a bin by at most (fold - 1) * eps * sqrt(N * energy).
    const double bound = kTransformErrorScale * (std::log2(static_cast<double>(N)) + fold)
        * std::sqrt(N * energy);
    bool certain = true;
    for (std::int32_t j = 0; j < count; ++j) {
        const std::int32_t k = j * stride;
        const double m = magnitude(plot->fft_out[k / fold]);
        const double low = decibels(std::max(m - bound, 0.0), N) - kDecibelSlack;
        const double high = decibels(m + bound, N) + kDecibelSlack;
        certain = certain && barValue(static_cast<float>(low)) == barValue(static_cast<float>(high));
        plot->power[k] = static_cast<float>(decibels(m, N));
        out[j] = barValue(plot->power[k]);
    }
    if (certain)
        return;

    // A bin sits on a truncation step: the complex transform decides.
    ++plot->exact_frames;
    for (std::int32_t i = 0; i < N; ++i) {
        plot->fft_in[i][0] = static_cast<double>(x[i] * plot->window[i]);
        plot->fft_in[i][1] = 0.0;
    }
    fftw_execute(plot->plan);
    for (std::int32_t j = 0; j < count; ++j) {
        const std::int32_t k = j * stride;
        plot->power[k] = static_cast<float>(decibels(magnitude(plot->fft_out[k]), N));
        out[j] = barValue(plot->power[k]);
    }
}

void IcmDestroyFreqPlot(FrequencyPlot* plot)
{
    if (!plot)
        return;
    if (plot->plan)
        fftw_destroy_plan(plot->plan);
    if (plot->plan_real)
        fftw_destroy_plan(plot->plan_real);
    std::free(plot->x);
    std::free(plot->power);
    std::free(plot->window);
    fftw_free(plot->fft_in);
    fftw_free(plot->fft_out);
    fftw_free(plot->fft_real);
    std::free(plot);
}

void SpectrumData::PlotDeleter::operator()(FrequencyPlot* plot) const
{
    IcmDestroyFreqPlot(plot);
}

SpectrumData::SpectrumData() = default;
SpectrumData::~SpectrumData() = default;

bool SpectrumData::SeperateLeftAndRight(const std::int16_t* samples, std::int32_t BufferLength,
                                        std::int16_t* leftpcm, std::int16_t* rightpcm)
{
    if (!samples || !leftpcm || !rightpcm || BufferLength == 0 || !wholeFrames(BufferLength))
        return false;
    const std::int32_t c = BufferLength / 2;
    const std::int32_t f = BufferLength / 4;

    if (!m_table || c != m_tableFrameLength) {
        // A new block size starts over with an empty history.
        m_table.reset(IcmCreateFreqPlot(f));
        if (!m_table)
            return false;
        m_tableFrameLength = c;
    }
    for (std::int32_t i = 0; i < c; i += 2) {
        leftpcm[i / 2] = samples[i];
        rightpcm[i / 2] = samples[i + 1];
    }
    return true;
}

bool SpectrumData::inputData(const void* block, std::int32_t BufferLength, std::int32_t* ouputup,
                             std::int32_t* outputdown)
{
    if (!block || !ouputup || !outputdown || BufferLength == 0 || !wholeFrames(BufferLength))
        return false;
    try {
        const auto samplesPerChannel = static_cast<std::size_t>(BufferLength / 4);
        m_left.resize(samplesPerChannel);
        m_right.resize(samplesPerChannel);
    } catch (const std::bad_alloc&) {
        qCWarning(lcSpectrum) << "spectrum: no memory to split a block of" << BufferLength << "bytes";
        return false;
    }
    if (!SeperateLeftAndRight(static_cast<const std::int16_t*>(block), BufferLength, m_left.data(),
                              m_right.data()))
        return false;

    IcmComputeFreqPlot(m_table.get(), m_left.data(), ouputup, kBars);
    IcmComputeFreqPlot(m_table.get(), m_right.data(), outputdown, kBars);
    for (int j = 0; j < kBars; ++j) {
        ouputup[j] = levelOf(ouputup[j]);
        outputdown[j] = levelOf(outputdown[j]);
    }
    return true;
}
