#include "LiteralSpectrum.h"

#include <fftw3.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

struct LiteralSpectrum::Plot {
    std::int32_t fft_size;
    float* window;
    float* x;
    float* power;
    fftw_complex* fft_in;
    fftw_complex* fft_out;
};

LiteralSpectrum::~LiteralSpectrum()
{
    destroyPlot(m_table);
}

const float* LiteralSpectrum::power() const
{
    return m_table ? m_table->power : nullptr;
}

std::int32_t LiteralSpectrum::fftSize() const
{
    return m_table ? m_table->fft_size : 0;
}

LiteralSpectrum::Plot* LiteralSpectrum::createPlot(std::int32_t n)
{
    auto* plot = static_cast<Plot*>(std::calloc(1, sizeof(Plot)));
    const std::int32_t N = 2 * n;
    plot->fft_size = N;
    plot->x = static_cast<float*>(std::calloc(static_cast<std::size_t>(N), sizeof(float)));
    plot->power = static_cast<float*>(std::calloc(static_cast<std::size_t>(N), sizeof(float)));
    plot->window = static_cast<float*>(std::calloc(static_cast<std::size_t>(N), sizeof(float)));
    const float step = static_cast<float>(6.283185307179586 / static_cast<double>(N - 1));
    for (std::int32_t i = 0; i < N; ++i) {
        const float angle = static_cast<float>(i) * step;
        const double value = 0.54 + (-0.46) * std::cos(static_cast<double>(angle));
        plot->window[i] = static_cast<float>(value);
    }
    plot->fft_in = static_cast<fftw_complex*>(fftw_malloc(static_cast<std::size_t>(N) * 16));
    plot->fft_out = static_cast<fftw_complex*>(fftw_malloc(static_cast<std::size_t>(N) * 16));
    return plot;
}

void LiteralSpectrum::destroyPlot(Plot* plot)
{
    if (!plot)
        return;
    std::free(plot->x);
    std::free(plot->power);
    std::free(plot->window);
    fftw_free(plot->fft_in);
    fftw_free(plot->fft_out);
    std::free(plot);
}

void LiteralSpectrum::compute(Plot* plot, const std::int16_t* samples, std::int32_t* out, std::int32_t count)
{
    const std::int32_t N = plot->fft_size;
    const std::int32_t h = N / 2;
    for (std::int32_t i = 0; i < h; ++i)
        plot->x[i] = plot->x[h + i];
    for (std::int32_t i = 0; i < h; ++i) {
        const double scaled = static_cast<double>(samples[i]) * 0.000030517578125;
        plot->x[h + i] = static_cast<float>(scaled);
    }
    for (std::int32_t i = 0; i < N; ++i) {
        const float windowed = plot->x[i] * plot->window[i];
        plot->fft_in[i][0] = static_cast<double>(windowed);
        plot->fft_in[i][1] = 0.0;
    }
    fftw_plan plan = fftw_plan_dft_1d(N, plot->fft_in, plot->fft_out, FFTW_FORWARD, FFTW_ESTIMATE);
    fftw_execute(plan);
    for (std::int32_t k = 0; k < N; ++k) {
        const double re = plot->fft_out[k][0];
        const double im = plot->fft_out[k][1];
        const double magnitude = std::sqrt(re * re + im * im);
        const double divided = magnitude / static_cast<double>(N);
        const double doubled = divided * 2.0;
        const double decibels = std::log10(doubled) * 20.0;
        plot->power[k] = static_cast<float>(decibels);
    }
    fftw_destroy_plan(plan);

    if (count >= 1) {
        const std::int32_t stride = h / count;
        for (std::int32_t j = 0; j < count; ++j) {
            const float p = plot->power[j * stride];
            if (p > 0.0f) {
                out[j] = 128;
            } else {
                const double larger = std::fmax(static_cast<double>(p), -128.0);
                out[j] = 128 + static_cast<std::int32_t>(std::trunc(larger));
            }
        }
    }
}

bool LiteralSpectrum::separate(const std::int16_t* samples, std::int32_t bytes, std::int16_t* left,
                               std::int16_t* right)
{
    if (!samples || !left || !right || bytes == 0)
        return false;
    const std::int32_t c = bytes / 2;
    const std::int32_t f = bytes / 4;
    if (!m_table) {
        m_table = createPlot(f);
        if (!m_table)
            return false;
        m_tableFrameLength = c;
    }
    if (c != m_tableFrameLength) {
        destroyPlot(m_table);
        m_table = createPlot(f);
        if (!m_table)
            return false;
        m_tableFrameLength = c;
    }
    for (std::int32_t i = 0; i < c; i += 2) {
        left[i / 2] = samples[i];
        right[i / 2] = samples[i + 1];
    }
    return true;
}

bool LiteralSpectrum::inputData(const void* block, std::int32_t bytes, std::int32_t* up, std::int32_t* down)
{
    if (!block || !up || !down || bytes == 0)
        return false;
    auto* left = static_cast<std::int16_t*>(std::malloc(static_cast<std::size_t>(bytes / 2)));
    auto* right = static_cast<std::int16_t*>(std::malloc(static_cast<std::size_t>(bytes / 2)));
    if (!left || !right) {
        std::free(left);
        std::free(right);
        return false;
    }
    if (!separate(static_cast<const std::int16_t*>(block), bytes, left, right)) {
        std::free(left);
        std::free(right);
        return false;
    }
    compute(m_table, left, up, 26);
    compute(m_table, right, down, 26);
    std::memcpy(m_upValues, up, sizeof m_upValues);
    std::memcpy(m_downValues, down, sizeof m_downValues);
    for (int j = 0; j < 26; ++j) {
        const float upScaled = static_cast<float>(up[j]) * 0.0078125f * 8.0f;
        up[j] = static_cast<std::int32_t>(static_cast<double>(upScaled) + 0.5);
        const float downScaled = static_cast<float>(down[j]) * 0.0078125f * 8.0f;
        down[j] = static_cast<std::int32_t>(static_cast<double>(downScaled) + 0.5);
    }
    std::free(left);
    std::free(right);
    return true;
}
