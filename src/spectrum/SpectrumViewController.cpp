#include "spectrum/SpectrumViewController.h"

#include "spectrum/PulseCaptureEngine.h"
#include "spectrum/SpectrumBarsView.h"
#include "spectrum/SpectrumData.h"
#include "spectrum/data_trans.h"

#include "controls/ImageView.h"
#include "ui_SpectrumView.h"

#include <QTimer>

#include <array>
#include <limits>

namespace {

// Shows image on a bar unless it already does, so steady levels cost no repaint.
void showImage(ImageView* bar, const NamedImage& image)
{
    if (!(bar->image() == image))
        bar->setImage(image);
}

} // namespace

SpectrumViewController::SpectrumViewController(QObject* parent)
    : SpectrumViewController(&PulseCaptureEngine::create, parent)
{
}

SpectrumViewController::SpectrumViewController(CaptureEngineFactory engineFactory, QObject* parent)
    : QObject(parent)
    , m_engineFactory(std::move(engineFactory))
    , m_ui(std::make_unique<Ui::SpectrumView>())
{
    auto* view = new SpectrumBarsView;
    m_view = view;
    m_ui->setupUi(view);
    awakeFromNib();
    view->drawBars(m_upView + m_downView);
}

SpectrumViewController::~SpectrumViewController()
{
    Stop();
    if (m_view && !m_view->parent())
        delete m_view;
}

QWidget* SpectrumViewController::view() const
{
    return m_view;
}

void SpectrumViewController::awakeFromNib()
{
    const Ui::SpectrumView& ui = *m_ui;
    if (m_upView.isEmpty()) {
        m_upView = {ui.up0,  ui.up1,  ui.up2,  ui.up3,  ui.up4,  ui.up5,  ui.up6,  ui.up7,  ui.up8,
                    ui.up9,  ui.up10, ui.up11, ui.up12, ui.up13, ui.up14, ui.up15, ui.up16, ui.up17,
                    ui.up18, ui.up19, ui.up20, ui.up21, ui.up22, ui.up23, ui.up24, ui.up25};
        for (ImageView* bar : m_upView)
            bar->setImageAlignment(Qt::AlignBottom | Qt::AlignHCenter);
    }
    if (m_upImages.isEmpty()) {
        for (int level = 1; level <= 8; ++level)
            m_upImages.append(NamedImage::named(QStringLiteral("up%1").arg(level)));
    }
    if (m_downView.isEmpty()) {
        m_downView = {ui.down0,  ui.down1,  ui.down2,  ui.down3,  ui.down4,  ui.down5,  ui.down6,
                      ui.down7,  ui.down8,  ui.down9,  ui.down10, ui.down11, ui.down12, ui.down13,
                      ui.down14, ui.down15, ui.down16, ui.down17, ui.down18, ui.down19, ui.down20,
                      ui.down21, ui.down22, ui.down23, ui.down24, ui.down25};
        for (ImageView* bar : m_downView)
            bar->setImageAlignment(Qt::AlignTop | Qt::AlignHCenter);
    }
    if (m_downImages.isEmpty()) {
        for (int level = 1; level <= 8; ++level)
            m_downImages.append(NamedImage::named(QStringLiteral("down%1").arg(level)));
    }
}

void SpectrumViewController::Start()
{
    // Each link sends Start; a second tap on a running engine would double
    // every buffer, so a running display is left as it is.
    if (m_engine)
        return;
    m_engine = m_engineFactory();
    m_spectrumData = std::make_unique<SpectrumData>();
    auto pool = std::make_shared<data_trans>();
    pool->data_transfer_create();
    m_pool.store(std::move(pool));

    const CaptureFormat format{48000.0, 2};
    m_engine->installTap(kTapFrames, format, [this](const CaptureBuffer* buffer) { DrawWave(buffer); });
    // A failed start is logged by the engine; the timer then shows an empty pool.
    m_engine->start();

    if (!m_timer) {
        m_timer = std::make_unique<QTimer>();
        m_timer->setTimerType(Qt::PreciseTimer);
        m_timer->setInterval(kTimerMs);
        connect(m_timer.get(), &QTimer::timeout, this, &SpectrumViewController::OnTimer);
        m_timer->start();
    }
}

// Capture thread.
void SpectrumViewController::DrawWave(const CaptureBuffer* buffer)
{
    if (!buffer || !buffer->int16ChannelData || buffer->frameLength <= 0)
        return;
    // Keeps the pool alive for this write even if Stop swaps it out meanwhile.
    const std::shared_ptr<data_trans> pool = m_pool.load();
    if (!pool)
        return;
    // Buffers above the pool's capacity are dropped by the pool itself.
    const std::int64_t bytes = std::int64_t{buffer->frameLength} * 4;
    if (bytes > std::numeric_limits<std::int32_t>::max())
        return;
    pool->data_transfer_inputToPool(buffer->int16ChannelData, static_cast<std::int32_t>(bytes));
}

// Main thread.
void SpectrumViewController::OnTimer()
{
    std::array<std::int32_t, kBars> up{};
    std::array<std::int32_t, kBars> down{};
    std::array<std::int16_t, kBlockBytes / 2> block{};

    if (const std::shared_ptr<data_trans> pool = m_pool.load())
        pool->data_transfer_outputFromPool(block.data(), kBlockBytes);
    if (m_spectrumData)
        m_spectrumData->inputData(block.data(), kBlockBytes, up.data(), down.data());

    if (!m_view)
        return;
    m_view->holdChanges();
    for (int j = 0; j < kBars; ++j) {
        if (up[j] != 0 && up[j] <= m_upImages.size())
            showImage(m_upView[j], m_upImages[up[j] - 1]);
        if (down[j] != 0 && down[j] <= m_downImages.size())
            showImage(m_downView[j], m_downImages[down[j] - 1]);
    }
    m_view->paintHeldChanges();
}

void SpectrumViewController::Stop()
{
    if (m_engine) {
        m_engine->removeTap();
        m_engine->stop();
    }
    if (m_view) {
        for (int j = 0; j < kBars; ++j) {
            m_upView[j]->setImage(NamedImage());
            m_downView[j]->setImage(NamedImage());
        }
    }
    if (const std::shared_ptr<data_trans> pool = m_pool.load())
        pool->data_transfer_destory();
    if (m_timer)
        m_timer->stop();

    m_timer.reset();
    m_pool.store(nullptr);
    m_spectrumData.reset();
    m_engine.reset();
}
