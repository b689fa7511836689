// The model driven through any sequence of batches from any way in, with
// a linked device: a batch is taken whole or refused whole, the settings
// stay within their ranges, and every record the device is sent (and every
// record rebuilt from the settings with any change code) keeps its
// constant bytes and carries the settings within the device's ranges.
#include "device/ControlPanelInfo.h"
#include "model/DeviceRecordSender.h"
#include "model/PanelModel.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

bool withinRanges(const PanelSettings& settings)
{
    for (const SettingRow& row : settingRows()) {
        const double value = settings.value(row.setting);
        if (!(value >= row.min && value <= row.max))
            return false;
    }
    return true;
}

std::uint8_t expectedReverb(double reverb)
{
    return static_cast<std::uint8_t>(std::min(15.0, std::floor(reverb * 15 / 100)));
}

void checkRecord(const ControlPanelReport& report, const PanelSettings& settings)
{
    const unsigned code = report[0];
    FUZZ_CHECK(code == ChangeDenoise || code == ChangeMonitorOrMixer || code == ChangeReverb || code == ChangeStage
               || code == ChangeFullRefresh);
    FUZZ_CHECK(report[1] == 0x11);
    FUZZ_CHECK(report[2] <= 100 && report[2] == settings.speaker);
    FUZZ_CHECK(report[3] <= 100 && report[3] == settings.mic);
    FUZZ_CHECK(report[4] == (settings.sound.denoise ? 1 : 0));
    const unsigned mixer = settings.sound.mixer ? 1 : 0;
    const unsigned monitor = settings.sound.monitor ? 1 : 0;
    // Bits from the least significant: mixer, monitor, 3D always on, unused, music gain.
    FUZZ_CHECK(report[5] == (mixer | monitor << 1 | 1u << 2 | mixer << 4));
    FUZZ_CHECK(report[6] == 1);
    FUZZ_CHECK(report[7] == 1);
    FUZZ_CHECK(report[8] == 0);
    FUZZ_CHECK(report[9] <= 15 && report[9] == expectedReverb(settings.sound.reverb));
    FUZZ_CHECK(report[10] == 0);
    for (std::size_t stage = 0; stage < 5; ++stage) {
        const int level = static_cast<std::int8_t>(report[11 + stage]);
        FUZZ_CHECK(level >= -15 && level <= 15 && level == settings.sound.stages[stage]);
    }
}

// Edges and their neighbours, fractions, and now and then any double at all.
double someValue(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: return input.ConsumeIntegralInRange(-20, 120);
    case 1: return input.ConsumeIntegralInRange(-20, 120) + input.ConsumeProbability<double>();
    case 2: return input.ConsumeBool() ? 0.0 : 1.0;
    default: return input.ConsumeFloatingPoint<double>();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    quietQtLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    PanelModel model;
    model.setLink(LinkState{false, true, true, true});
    int records = 0;
    DeviceRecordSender sender(model, [&](const ControlPanelReport& report) {
        ++records;
        checkRecord(report, model.settings());
    });
    while (input.remaining_bytes() > 0) {
        if (input.ConsumeIntegralInRange(0, 15) == 0) {
            sender.sendAll();
            continue;
        }
        SettingsBatch batch;
        const PanelFields fields = PanelFields::fromInt(input.ConsumeIntegralInRange<unsigned>(0, (1u << kPanelSettingCount) - 1));
        for (const SettingRow& row : settingRows()) {
            if (fields & fieldOf(row.setting))
                batch.set(row.setting, someValue(input));
        }
        const auto origin = static_cast<ChangeOrigin>(input.ConsumeIntegralInRange(0, static_cast<int>(ChangeOrigin::Scene)));
        const PanelSettings before = model.settings();
        const int recordsBefore = records;
        QString why;
        if (!model.apply(batch, origin, &why)) {
            FUZZ_CHECK(!why.isEmpty());
            FUZZ_CHECK(model.settings() == before);
            FUZZ_CHECK(records == recordsBefore);
            bool anyOutside = false;
            for (const SettingRow& row : settingRows()) {
                const double value = batch.values[static_cast<std::size_t>(row.setting)];
                anyOutside |= (fields & fieldOf(row.setting)) && !(value >= row.min && value <= row.max);
            }
            FUZZ_CHECK(anyOutside);
            continue;
        }
        FUZZ_CHECK(withinRanges(model.settings()));
        // Loads and the sound server's own volume changes send nothing.
        if (origin == ChangeOrigin::Stored || origin == ChangeOrigin::Server)
            FUZZ_CHECK(records == recordsBefore);
        const unsigned code = input.ConsumeIntegral<std::uint8_t>();
        const _IIS_CONTROL_PANEL_INFO info = rebuildControlPanelInfo(model.settings().recordValues(), code);
        FUZZ_CHECK(info.changed_type == code);
        ControlPanelReport report = controlPanelReport(info);
        report[0] = ChangeFullRefresh;
        checkRecord(report, model.settings());
    }
    return 0;
}
