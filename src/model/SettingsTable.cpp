#include "model/SettingsTable.h"

#include "device/ControlPanelInfo.h"

#include <QCoreApplication>

#include <cmath>

namespace {

using S = PanelSetting;

constexpr std::array<SettingRow, kPanelSettingCount> kRows{{
    {S::Speaker, "speaker", "Speaker", "spkVolume", false, 0, 100, 50, 0, false},
    {S::Mic, "mic", "Mic", "micGain", false, 0, 100, 70, 0, false},
    {S::Monitor, "monitor", "Monitor", "monitor", true, 0, 1, 0, ChangeMonitorOrMixer, true},
    {S::Denoise, "denoise", "Denoise", "dehiss", true, 0, 1, 0, ChangeDenoise, true},
    {S::Stage1, "stage1", "Stage1", "stage1", false, -15, 15, 0, ChangeStage, true},
    {S::Stage2, "stage2", "Stage2", "stage2", false, -15, 15, 0, ChangeStage, true},
    {S::Stage3, "stage3", "Stage3", "stage3", false, -15, 15, 0, ChangeStage, true},
    {S::Stage4, "stage4", "Stage4", "stage4", false, -15, 15, 0, ChangeStage, true},
    {S::Stage5, "stage5", "Stage5", "stage5", false, -15, 15, 0, ChangeStage, true},
    {S::Reverb, "reverb", "Reverb", "reverb", false, 0, 100, 0, ChangeReverb, true},
    {S::Mixer, "mixer", "Mixer", "mixer", true, 0, 1, 0, ChangeMonitorOrMixer, true},
}};

constexpr bool rowsInOrder()
{
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (static_cast<std::size_t>(kRows[i].setting) != i)
            return false;
    }
    return true;
}
static_assert(rowsInOrder(), "a setting's row sits at its own index");

} // namespace

const std::array<SettingRow, kPanelSettingCount>& settingRows()
{
    return kRows;
}

const SettingRow& settingRow(PanelSetting setting)
{
    return kRows[static_cast<std::size_t>(setting)];
}

const SettingRow* findSettingRow(QStringView name)
{
    for (const SettingRow& row : kRows) {
        if (name.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

QStringList settingNames()
{
    QStringList names;
    for (const SettingRow& row : kRows)
        names << QLatin1String(row.name);
    return names;
}

bool settingInRange(const SettingRow& row, double value, QString* why)
{
    if (value >= row.min && value <= row.max)
        return true;
    if (why) {
        *why = std::isnan(value)
            ? QCoreApplication::translate("CommandLine", "%1 takes a whole number from %2 to %3, not \"%4\"")
                  .arg(QLatin1String(row.name)).arg(row.min).arg(row.max).arg(value)
            : QCoreApplication::translate("CommandLine", "%1 takes %2 to %3; %4 is out of range")
                  .arg(QLatin1String(row.name)).arg(row.min).arg(row.max).arg(value);
    }
    return false;
}

PanelSetting stageSetting(int number)
{
    return static_cast<PanelSetting>(static_cast<int>(PanelSetting::Stage1) + number - 1);
}
