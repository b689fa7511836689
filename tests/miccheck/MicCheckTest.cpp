#include "miccheck/MicCheck.h"
#include "miccheck/MicCheckView.h"

#include "controls/MessageBand.h"
#include "model/PanelModel.h"

#include "LogCapture.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Stands in for the sound server where the check's order of events is
// checked; the libpulse backend is tested against the real servers.
class ScriptedAudio final : public MicCheckAudio {
public:
    void setListener(Listener* heard) override { listener = heard; }
    bool record(std::int64_t frames) override
    {
        recorded = frames;
        return available;
    }
    bool play(std::vector<std::int16_t> samples) override
    {
        played = std::move(samples);
        return available;
    }
    void stop() override { ++stops; }

    Listener* listener = nullptr;
    bool available = true;
    std::int64_t recorded = 0;
    std::vector<std::int16_t> played;
    int stops = 0;
};

class MicCheckTest : public ::testing::Test {
protected:
    MicCheckTest()
    {
        window.resize(400, 300);
        area->setGeometry(20, 20, 360, 200);
        band->lieOver(area);
        model.setLink(LinkState{.linked = true, .devicePresent = true});
        view.lieOver(area);
    }

    QWidget window;
    QWidget* area = new QWidget(&window);
    MessageBand* band = new MessageBand(&window);
    PanelModel model;
    ScriptedAudio audio;
    MicCheck check{model, audio, band};
    MicCheckView view{check, &window};
};

TEST_F(MicCheckTest, RecordsThenPlaysTheTakeBackShowingLevelAndSecondsLeft)
{
    window.show();
    const QSize size = window.size();
    check.start();
    ASSERT_EQ(check.phase(), MicCheck::Phase::Recording);
    EXPECT_EQ(audio.recorded, 5 * 48000);
    EXPECT_TRUE(view.isVisible());
    EXPECT_TRUE(view.text().contains(QStringLiteral("5 s"))) << view.text().toStdString();

    audio.listener->micCheckProgress(0.5F, 48000 + 100);
    EXPECT_TRUE(view.text().contains(QStringLiteral("4 s"))) << view.text().toStdString();
    // -6 dBFS on a 60 dB scale.
    EXPECT_EQ(view.level(), 90);

    audio.listener->micCheckRecorded(std::vector<std::int16_t>(3 * 48000, 7));
    ASSERT_EQ(check.phase(), MicCheck::Phase::Playing);
    EXPECT_EQ(audio.played.size(), 3u * 48000);
    EXPECT_TRUE(view.text().contains(QStringLiteral("Playing back"))) << view.text().toStdString();
    EXPECT_TRUE(view.text().contains(QStringLiteral("3 s"))) << view.text().toStdString();
    EXPECT_EQ(view.level(), 0);

    audio.listener->micCheckPlayed();
    EXPECT_EQ(check.phase(), MicCheck::Phase::Idle);
    EXPECT_FALSE(view.isVisible());
    EXPECT_TRUE(band->text().isEmpty());
    // Lying over the area, the view neither moved it nor grew the window.
    EXPECT_EQ(window.size(), size);
    EXPECT_EQ(area->geometry(), QRect(20, 20, 360, 200));
}

TEST_F(MicCheckTest, RefusesWithAMessageWhenItCannotRun)
{
    struct Case {
        const char* name;
        LinkState link;
        std::int64_t transport;
        bool available;
        const char* shown;
    };
    const Case cases[] = {
        {"unlinked", LinkState{}, TransportIdle, true, "the device is not linked"},
        {"linking", LinkState{.linking = true, .linked = true}, TransportIdle, true, "the device is not linked"},
        {"recording", LinkState{.linked = true}, TransportRecording, true, "while a recording or playback runs"},
        {"paused playback", LinkState{.linked = true}, TransportPlaybackPaused, true,
         "while a recording or playback runs"},
        {"no server", LinkState{.linked = true}, TransportIdle, false, "the sound server does not answer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        model.setLink(c.link);
        model.setTransportState(c.transport);
        audio.available = c.available;
        audio.recorded = 0;
        check.toggle();
        EXPECT_EQ(check.phase(), MicCheck::Phase::Idle);
        EXPECT_EQ(audio.recorded != 0, !c.available);
        EXPECT_TRUE(band->text().contains(QString::fromLatin1(c.shown))) << band->text().toStdString();
        EXPECT_EQ(log.count(QStringLiteral("microphone check")), 1);
    }
}

TEST_F(MicCheckTest, StopsOnASecondToggleOnEscapeAndWhenUnlinked)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    check.toggle();
    ASSERT_TRUE(check.running());
    check.toggle();
    EXPECT_FALSE(check.running());
    EXPECT_EQ(audio.stops, 1);
    // What the stopped run still sends is not heard.
    audio.listener->micCheckRecorded(std::vector<std::int16_t>(10));
    EXPECT_FALSE(check.running());

    check.start();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(check.running());
    EXPECT_EQ(audio.stops, 2);

    check.start();
    audio.listener->micCheckRecorded(std::vector<std::int16_t>(10));
    model.setLink(LinkState{});
    EXPECT_FALSE(check.running());
    EXPECT_TRUE(band->text().contains(QStringLiteral("unlinked"))) << band->text().toStdString();
}

} // namespace
