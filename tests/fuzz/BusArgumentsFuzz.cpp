// What arrives from the session bus and the command line's values: a value
// typed for a setting, a number the bus hands over, and the panel's
// properties as a client reads them. The input's last byte picks which.
#include "model/SettingsTable.h"
#include "session/PanelState.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

const SettingRow& pickRow(FuzzedDataProvider& input)
{
    return settingRows()[input.ConsumeIntegralInRange<std::size_t>(0, kPanelSettingCount - 1)];
}

void typedValue(FuzzedDataProvider& input)
{
    const SettingRow& row = pickRow(input);
    const std::string text = input.ConsumeRemainingBytesAsString();
    const QString typed = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString why;
    const std::optional<int> value = parseSettingValue(row, typed, &why);
    if (!value) {
        FUZZ_CHECK(!why.isEmpty());
        return;
    }
    FUZZ_CHECK(*value >= row.min && *value <= row.max);
    FUZZ_CHECK(settingInRange(row, *value, nullptr));
}

void numberInRange(FuzzedDataProvider& input)
{
    const SettingRow& row = pickRow(input);
    const double value = input.ConsumeBool() ? input.ConsumeFloatingPoint<double>()
                                             : input.ConsumeIntegral<int>();
    QString why;
    if (settingInRange(row, value, &why)) {
        FUZZ_CHECK(!std::isnan(value) && value >= row.min && value <= row.max);
        FUZZ_CHECK(why.isEmpty());
    } else {
        FUZZ_CHECK(!why.isEmpty());
    }
}

QVariant someValue(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0: return input.ConsumeBool();
    case 1: return input.ConsumeIntegral<int>();
    case 2: return input.ConsumeIntegral<qlonglong>();
    case 3: return input.ConsumeIntegral<uint>();
    case 4: return input.ConsumeFloatingPoint<double>();
    case 5: return QString::fromStdString(input.ConsumeRandomLengthString());
    case 6: return QByteArray::fromStdString(input.ConsumeRandomLengthString());
    default: return QString::fromStdString(input.ConsumeRandomLengthString()).split(QLatin1Char(','));
    }
}

void properties(FuzzedDataProvider& input)
{
    static const QStringList known = PanelState().properties().keys();
    QVariantMap map;
    while (input.remaining_bytes() > 0) {
        const std::size_t pick = input.ConsumeIntegralInRange<std::size_t>(0, known.size());
        const QString key = pick < static_cast<std::size_t>(known.size())
                                ? known[static_cast<qsizetype>(pick)]
                                : QString::fromStdString(input.ConsumeRandomLengthString());
        map.insert(key, someValue(input));
    }
    const PanelState state = PanelState::fromProperties(map);
    for (const SettingRow& row : settingRows()) {
        if (row.isSwitch)
            FUZZ_CHECK(state.value(row.setting) == 0 || state.value(row.setting) == 1);
    }
    FUZZ_CHECK(PanelState::fromProperties(state.properties()) == state);
    FUZZ_CHECK(state.statusLines().size() == 5 + static_cast<qsizetype>(kPanelSettingCount));
    FUZZ_CHECK(state.presetLines().size() == state.presets.size());
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
    switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0: typedValue(input); break;
    case 1: numberInRange(input); break;
    default: properties(input); break;
    }
    return 0;
}
