#pragma once

#include "settings/SettingsDictionary.h"

#include <QByteArray>

#include <array>
#include <cstdint>

namespace apptest {

// The settings every test starts from, chosen so each field of the record
// differs from its neighbours and from the defaults.
inline SettingsDictionary storedSettings()
{
    SettingsDictionary d;
    d.setInteger(SettingsKey::spkVolume, 37);
    d.setInteger(SettingsKey::micGain, 64);
    d.setBool(SettingsKey::spkMute, false);
    d.setBool(SettingsKey::micMute, false);
    d.setBool(SettingsKey::monitor, false);
    d.setBool(SettingsKey::dehiss, true);
    d.setInteger(SettingsKey::reverb, 57);
    d.setBool(SettingsKey::mixer, true);
    d.setInteger(SettingsKey::stage1, 5);
    d.setInteger(SettingsKey::stage2, -3);
    d.setInteger(SettingsKey::stage3, 0);
    d.setInteger(SettingsKey::stage4, 12);
    d.setInteger(SettingsKey::stage5, -15);
    return d;
}

// The full refresh built from storedSettings(): reverb 57 is level 8,
// mixer on with monitor off is 0x15, stages in two's complement.
inline QByteArray storedFullRecord()
{
    const std::array<std::uint8_t, 16> bytes{0x08, 0x11, 37, 64, 0x01, 0x15, 0x01, 0x01,
                                             0x00, 0x08, 0x00, 0x05, 0xFD, 0x00, 0x0C, 0xF1};
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

} // namespace apptest
