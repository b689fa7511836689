// The 16-byte control-panel record: layout, encodings and rebuild.
#include <gtest/gtest.h>

#include <cstddef>
#include <limits>

#include "device/ControlPanelInfo.h"

namespace {

ControlPanelReport rebuild(const ControlPanelValues& values, unsigned code = ChangeFullRefresh)
{
    return controlPanelReport(rebuildControlPanelInfo(values, code));
}

}

TEST(ControlPanelInfo, FieldsSitAtTheirReportOffsets)
{
    EXPECT_EQ(offsetof(_IIS_CONTROL_PANEL_INFO, changed_type), 0U);
    EXPECT_EQ(offsetof(_IIS_CONTROL_PANEL_INFO, mixer), 5U);
    EXPECT_EQ(offsetof(_IIS_CONTROL_PANEL_INFO, reverberance), 9U);
    EXPECT_EQ(offsetof(_IIS_CONTROL_PANEL_INFO, eq_stage1band), 11U);
    EXPECT_EQ(offsetof(_IIS_CONTROL_PANEL_INFO, eq_stage5band), 15U);

    // Bit-fields fill byte 5 from the least significant bit up.
    _IIS_CONTROL_PANEL_INFO info{};
    info.mixer.mixer_val.monitor_on_off = 1;
    EXPECT_EQ(controlPanelReport(info)[5], 0x02);
    info.mixer.mixer_val.music_gain = 1;
    EXPECT_EQ(controlPanelReport(info)[5], 0x12);
}

TEST(ControlPanelInfo, WorkedExampleByteForByte)
{
    ControlPanelValues values;
    values.speaker = 50;
    values.mic = 70;
    values.denoise = true;
    values.monitor = false;
    values.mixer = 0.0;
    values.reverb = 40;
    values.stages = {0, 3, -2, 0, 15};
    const ControlPanelReport expected = {0x08, 0x11, 0x32, 0x46, 0x01, 0x04, 0x01, 0x01,
                                         0x00, 0x06, 0x00, 0x00, 0x03, 0xFE, 0x00, 0x0F};
    EXPECT_EQ(rebuild(values), expected);
}

TEST(ControlPanelInfo, ReverbQuantisationPoints)
{
    const struct {
        double value;
        int level;
    } points[] = {{0, 0}, {6.66, 0}, {6.67, 1}, {40, 6}, {99.9, 14}, {100, 15},
                  // Out of range, and not a number at all, saturate.
                  {-0.01, 15}, {-50, 15}, {100.5, 15}, {std::numeric_limits<double>::quiet_NaN(), 15}};
    for (const auto& point : points) {
        EXPECT_EQ(quantiseReverb(point.value), point.level) << point.value;
        ControlPanelValues values;
        values.reverb = point.value;
        EXPECT_EQ(rebuild(values)[9], point.level) << point.value;
    }
}

TEST(ControlPanelInfo, StagesAreTwosComplementBytes)
{
    ControlPanelValues values;
    values.stages = {-15, 15, 0, -1, 1};
    const ControlPanelReport report = rebuild(values, ChangeStage);
    EXPECT_EQ(report[0], ChangeStage);
    EXPECT_EQ(report[11], 0xF1);
    EXPECT_EQ(report[12], 0x0F);
    EXPECT_EQ(report[13], 0x00);
    EXPECT_EQ(report[14], 0xFF);
    EXPECT_EQ(report[15], 0x01);
}

TEST(ControlPanelInfo, MixerByteTakesOnlyFourValues)
{
    const struct {
        double mixer;
        bool monitor;
        std::uint8_t byte;
    } cases[] = {{0.0, false, 0x04}, {0.0, true, 0x06}, {1.0, false, 0x15}, {1.0, true, 0x17},
                 // A level dragged part-way is not the mixer switch.
                 {0.5, false, 0x04}, {0.99, true, 0x06}};
    for (const auto& c : cases) {
        ControlPanelValues values;
        values.mixer = c.mixer;
        values.monitor = c.monitor;
        EXPECT_EQ(rebuild(values, ChangeMonitorOrMixer)[5], c.byte) << c.mixer << " " << c.monitor;
    }
}

TEST(ControlPanelInfo, ConstantBytesHoldWhateverTheControlsSay)
{
    ControlPanelValues extreme;
    extreme.speaker = 100;
    extreme.mic = 100;
    extreme.denoise = true;
    extreme.mixer = 1.0;
    extreme.monitor = true;
    extreme.reverb = 100;
    extreme.stages = {15, 15, 15, 15, 15};
    for (const ControlPanelValues& values : {ControlPanelValues{}, extreme}) {
        for (unsigned code : {2U, 3U, 4U, 7U, 8U}) {
            const ControlPanelReport report = rebuild(values, code);
            EXPECT_EQ(report[0], code);
            EXPECT_EQ(report[1], 0x11);
            EXPECT_EQ(report[6], 1);
            EXPECT_EQ(report[7], 1);
            EXPECT_EQ(report[8], 0);
            EXPECT_EQ(report[10], 0);
        }
    }
    // Only the change code's low 8 bits are kept.
    EXPECT_EQ(rebuild({}, 0x108)[0], 0x08);
}
