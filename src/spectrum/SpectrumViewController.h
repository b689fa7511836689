#pragma once

#include "controls/NamedImage.h"
#include "spectrum/CaptureEngine.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <cstdint>
#include <memory>

class ImageView;
class QTimer;
class QWidget;
class SpectrumBarsView;
class SpectrumData;
class data_trans;
namespace Ui {
class SpectrumView;
}

// Runs the live spectrum: captures the default input, queues it in a sample
// pool, drains one 50 ms block per 50 ms tick into the analysis and shows
// each bar's level (1 .. 8) as one of eight images; 26 bars rise from the
// baseline (first channel) and 26 hang from it (second channel). A level of
// 0 leaves a bar as it was; only Stop clears the bars. The bars are the
// ImageViews of the view's Designer file; SpectrumBarsView draws them.
//
// Everything but DrawWave runs on the main thread.
class SpectrumViewController : public QObject {
    Q_OBJECT
public:
    static constexpr int kBars = 26;
    static constexpr std::int32_t kTapFrames = 3840;
    static constexpr std::int32_t kBlockBytes = 9600;
    static constexpr int kTimerMs = 50;

    // Captures through libpulse.
    explicit SpectrumViewController(QObject* parent = nullptr);
    // Captures through engines made by engineFactory (one per Start).
    explicit SpectrumViewController(CaptureEngineFactory engineFactory, QObject* parent = nullptr);
    ~SpectrumViewController() override;

    // The bars' view, loaded from its Designer file. Unparented until the
    // window adopts it; the controller deletes it only if nobody did.
    QWidget* view() const;

    // Gathers the bars and their images (called by the constructor once the
    // view is loaded); each array is built only if not set yet.
    void awakeFromNib();
    // Starts capture and the display timer; does nothing while running.
    void Start();
    // Stops capture and the timer, clears all bars, drops pool and analysis.
    void Stop();
    // Capture thread: queues one captured buffer in the pool.
    void DrawWave(const CaptureBuffer* buffer);
    // Display timer: drains a block, analyses it and updates the bars.
    void OnTimer();

    const QList<ImageView*>& upView() const { return m_upView; }
    const QList<ImageView*>& downView() const { return m_downView; }
    const QList<NamedImage>& upImages() const { return m_upImages; }
    const QList<NamedImage>& downImages() const { return m_downImages; }
    CaptureEngine* engine() const { return m_engine.get(); }
    SpectrumData* spectrumData() const { return m_spectrumData.get(); }
    std::shared_ptr<data_trans> pool() const { return m_pool.load(); }
    QTimer* timer() const { return m_timer.get(); }

private:
    CaptureEngineFactory m_engineFactory;
    std::unique_ptr<Ui::SpectrumView> m_ui;
    QPointer<SpectrumBarsView> m_view;
    QList<ImageView*> m_upView;
    QList<NamedImage> m_upImages;
    QList<ImageView*> m_downView;
    QList<NamedImage> m_downImages;
    std::unique_ptr<CaptureEngine> m_engine;
    std::unique_ptr<SpectrumData> m_spectrumData;
    // Read by the capture thread while the main thread may swap it.
    std::atomic<std::shared_ptr<data_trans>> m_pool;
    std::unique_ptr<QTimer> m_timer;
};
