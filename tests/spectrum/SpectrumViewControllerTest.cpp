#include "spectrum/SpectrumViewController.h"

#include "controls/ImageView.h"
#include "spectrum/FrequencyPlot.h"
#include "spectrum/SpectrumData.h"
#include "spectrum/data_trans.h"

#include "FakeCaptureEngine.h"
#include "SpectrumSignals.h"

#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>

namespace {

using Row = std::array<std::int32_t, SpectrumViewController::kBars>;
constexpr int kFrames = 2400; // what one tick drains

class SpectrumViewControllerTest : public ::testing::Test {
protected:
    SpectrumViewControllerTest()
        : journal(std::make_shared<FakeCaptureEngine::Journal>())
        , controller(FakeCaptureEngine::factory(journal))
    {
    }

    FakeCaptureEngine& engine() { return *journal->current; }

    // One capture of exactly one tick's frames, then the tick; the same block
    // goes through `reference` so the test knows the levels.
    void tick(const std::vector<std::int16_t>& block, Row& up, Row& down)
    {
        engine().capture(block);
        controller.OnTimer();
        up.fill(0);
        down.fill(0);
        ASSERT_TRUE(reference->inputData(block.data(), kFrames * 4, up.data(), down.data()));
    }

    // Level L shows image L; level 0 leaves what the bar showed before.
    void expectBarsFollow(const Row& up, const Row& down, const std::vector<NamedImage>& upBefore,
                          const std::vector<NamedImage>& downBefore)
    {
        for (int j = 0; j < SpectrumViewController::kBars; ++j) {
            const NamedImage upExpected = up[j] ? controller.upImages()[up[j] - 1] : upBefore[j];
            const NamedImage downExpected = down[j] ? controller.downImages()[down[j] - 1] : downBefore[j];
            EXPECT_TRUE(controller.upView()[j]->image() == upExpected) << "up bar " << j << " level " << up[j];
            EXPECT_TRUE(controller.downView()[j]->image() == downExpected) << "down bar " << j << " level " << down[j];
        }
    }
    std::vector<NamedImage> shown(const QList<ImageView*>& bars)
    {
        std::vector<NamedImage> images;
        for (ImageView* bar : bars)
            images.push_back(bar->image());
        return images;
    }
    int barsShowingAnImage()
    {
        int count = 0;
        for (ImageView* bar : controller.upView())
            count += !bar->image().isNull();
        for (ImageView* bar : controller.downView())
            count += !bar->image().isNull();
        return count;
    }

    std::shared_ptr<FakeCaptureEngine::Journal> journal;
    SpectrumViewController controller;
    std::unique_ptr<SpectrumData> reference = std::make_unique<SpectrumData>();
};

TEST_F(SpectrumViewControllerTest, ViewHoldsTwentySixBarsARowWithTheirImagesInOrder)
{
    ASSERT_EQ(controller.upView().size(), 26);
    ASSERT_EQ(controller.downView().size(), 26);
    for (int j = 0; j < 26; ++j) {
        EXPECT_EQ(controller.upView()[j]->objectName(), QStringLiteral("up%1").arg(j));
        EXPECT_EQ(controller.downView()[j]->objectName(), QStringLiteral("down%1").arg(j));
        EXPECT_EQ(controller.upView()[j]->imageAlignment(), Qt::AlignBottom | Qt::AlignHCenter);
        EXPECT_EQ(controller.downView()[j]->imageAlignment(), Qt::AlignTop | Qt::AlignHCenter);
        EXPECT_TRUE(controller.upView()[j]->image().isNull());
    }
    ASSERT_EQ(controller.upImages().size(), 8);
    ASSERT_EQ(controller.downImages().size(), 8);
    for (int level = 1; level <= 8; ++level) {
        EXPECT_EQ(controller.upImages()[level - 1].name(), QStringLiteral("up%1").arg(level));
        EXPECT_EQ(controller.downImages()[level - 1].name(), QStringLiteral("down%1").arg(level));
    }
    // Built once: a second call keeps the arrays.
    const ImageView* first = controller.upView()[0];
    controller.awakeFromNib();
    EXPECT_EQ(controller.upView().size(), 26);
    EXPECT_EQ(controller.upView()[0], first);
}

TEST_F(SpectrumViewControllerTest, StartCapturesTheDefaultInputAndStartingAgainChangesNothing)
{
    controller.Start();
    EXPECT_EQ(journal->made, 1);
    EXPECT_EQ(journal->calls, (std::vector<std::string>{"installTap", "start"}));
    EXPECT_EQ(journal->bufferSize, 3840);
    EXPECT_EQ(journal->format.sampleRate, 48000.0);
    EXPECT_EQ(journal->format.channels, 2);
    ASSERT_NE(controller.pool(), nullptr);
    EXPECT_EQ(controller.pool()->bufferlength(), 19200);
    EXPECT_EQ(controller.pool()->data_len(), 0);
    ASSERT_NE(controller.spectrumData(), nullptr);
    EXPECT_EQ(controller.spectrumData()->table(), nullptr);
    ASSERT_NE(controller.timer(), nullptr);
    EXPECT_TRUE(controller.timer()->isActive());
    EXPECT_EQ(controller.timer()->interval(), 50);

    const auto pool = controller.pool();
    controller.Start();
    EXPECT_EQ(journal->made, 1);
    EXPECT_EQ(journal->calls.size(), 2u);
    EXPECT_EQ(controller.pool(), pool);
}

TEST_F(SpectrumViewControllerTest, LevelsPickTheBarImagesAndLevelZeroKeepsTheBar)
{
    controller.Start();
    Row up{}, down{};

    // Nothing captured yet: all levels 0, the bars stay empty.
    controller.OnTimer();
    EXPECT_EQ(barsShowingAnImage(), 0);

    // Full-scale constant on the first channel: bin 0 at level 8.
    tick(testsignal::constant(kFrames, 32767, 0), up, down);
    ASSERT_EQ(up[0], 8);
    EXPECT_EQ(controller.upView()[0]->image().name(), QStringLiteral("up8"));

    // A small click on the second channel only: a flat spectrum at level 1;
    // the first channel's silence leaves bar 0 showing "up8".
    auto click = testsignal::constant(kFrames, 0, 0);
    click[1] = 200;
    const auto upBefore = shown(controller.upView());
    const auto downBefore = shown(controller.downView());
    tick(click, up, down);
    ASSERT_EQ(down[25], 1);
    ASSERT_EQ(up[0], 0);
    EXPECT_EQ(controller.downView()[25]->image().name(), QStringLiteral("down1"));
    EXPECT_EQ(controller.upView()[0]->image().name(), QStringLiteral("up8"));
    expectBarsFollow(up, down, upBefore, downBefore);

    // Tones and silences: every tick, every bar follows the rule.
    int keptImages = 0;
    std::int64_t frame = 0;
    for (const double freq : {920.0, 4600.0, 0.0, 11960.0, 0.0, 18400.0, 2300.0, 0.0}) {
        const auto block = testsignal::tones(frame, kFrames, freq, freq ? 12000 : 0, freq * 1.1, freq ? 300 : 0);
        frame += kFrames;
        const auto upShown = shown(controller.upView());
        const auto downShown = shown(controller.downView());
        tick(block, up, down);
        expectBarsFollow(up, down, upShown, downShown);
        for (int j = 0; j < 26; ++j)
            keptImages += (up[j] == 0 && !upShown[j].isNull()) + (down[j] == 0 && !downShown[j].isNull());
    }
    EXPECT_GT(keptImages, 0) << "no bar fell to level 0 while showing an image";
}

TEST_F(SpectrumViewControllerTest, StopRemovesTheTapBeforeThePoolGoesAndClearsEveryBar)
{
    controller.Start();
    bool poolHadStorage = false;
    journal->onRemoveTap = [&] { poolHadStorage = controller.pool() && controller.pool()->rec_buf(); };
    Row up{}, down{};
    std::uint32_t seed = 1;
    tick(testsignal::noise(seed, kFrames, 30000), up, down);
    tick(testsignal::noise(seed, kFrames, 30000), up, down);
    ASSERT_EQ(barsShowingAnImage(), 52);

    controller.Stop();
    EXPECT_EQ(journal->calls, (std::vector<std::string>{"installTap", "start", "removeTap", "stop"}));
    EXPECT_TRUE(poolHadStorage);
    EXPECT_EQ(barsShowingAnImage(), 0);
    EXPECT_EQ(controller.engine(), nullptr);
    EXPECT_EQ(controller.pool(), nullptr);
    EXPECT_EQ(controller.spectrumData(), nullptr);
    EXPECT_EQ(controller.timer(), nullptr);

    // A tick that was already queued finds nothing to do.
    controller.OnTimer();
    EXPECT_EQ(barsShowingAnImage(), 0);
}

TEST_F(SpectrumViewControllerTest, StopThenStartBeginsWithAnEmptyPoolAndHistory)
{
    controller.Start();
    Row up{}, down{};
    tick(testsignal::tones(0, kFrames, 4600, 30000, 9200, 30000), up, down);
    engine().capture(testsignal::constant(1000, 5, 5)); // left unread
    controller.Stop();

    controller.Start();
    EXPECT_EQ(journal->made, 2);
    EXPECT_EQ(controller.pool()->data_len(), 0);
    EXPECT_EQ(controller.spectrumData()->table(), nullptr);
    EXPECT_TRUE(controller.timer()->isActive());

    // The first block is analysed against silence, as by a new analysis.
    reference = std::make_unique<SpectrumData>();
    const auto block = testsignal::tones(0, kFrames, 13800, 30000, 13800, 30000);
    tick(block, up, down);
    expectBarsFollow(up, down, std::vector<NamedImage>(26), std::vector<NamedImage>(26));
}

TEST_F(SpectrumViewControllerTest, StopWithoutStartOnlyClearsTheBars)
{
    controller.upView()[3]->setImage(controller.upImages()[4]);
    controller.downView()[7]->setImage(controller.downImages()[0]);
    controller.Stop();
    EXPECT_EQ(journal->made, 0);
    EXPECT_TRUE(journal->calls.empty());
    EXPECT_EQ(barsShowingAnImage(), 0);
}

TEST_F(SpectrumViewControllerTest, TimerDrainsThePoolOnTheMainThreadEvenIfCaptureFailedToStart)
{
    journal->startSucceeds = false;
    controller.Start();
    ASSERT_TRUE(controller.timer()->isActive());
    EXPECT_EQ(controller.timer()->thread(), QThread::currentThread());
    QTest::qWait(120);
    EXPECT_EQ(barsShowingAnImage(), 0);

    engine().capture(testsignal::constant(kFrames, 32767, 32767));
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller.pool()->data_len() == 0; }, 1000));
    EXPECT_EQ(controller.upView()[0]->image().name(), QStringLiteral("up8"));
}

TEST_F(SpectrumViewControllerTest, CaptureIgnoresMissingAndOversizedBuffersAndWritesAfterStop)
{
    controller.Start();
    engine().captureNothing();
    EXPECT_EQ(controller.pool()->data_len(), 0);
    engine().capture(testsignal::constant(4801, 1, 1));
    EXPECT_EQ(controller.pool()->data_len(), 0);
    engine().capture(testsignal::constant(4800, 1, 1));
    EXPECT_EQ(controller.pool()->data_len(), 19200);

    controller.Stop();
    const auto frames = testsignal::constant(10, 1, 1);
    const CaptureBuffer late{frames.data(), 10};
    controller.DrawWave(&late);
    EXPECT_EQ(controller.pool(), nullptr);
}

} // namespace
