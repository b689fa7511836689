#pragma once

#include <array>
#include <bit>
#include <cstdint>

// The device's sound processor is driven by this one 16-byte record. It is
// rebuilt whole from the panel's settings and sent whole as one HID output
// report; the field names are the device's own.

// Byte 5 seen as bit-fields, allocated from the least significant bit up.
typedef struct _MIXER_PARAM {
    std::uint8_t mixer_on_off : 1;
    std::uint8_t monitor_on_off : 1;
    std::uint8_t switch_3d_on_off : 1;
    std::uint8_t mixer_unused : 1;
    std::uint8_t music_gain : 4;
} MIXER_PARAM;

static_assert(sizeof(_MIXER_PARAM) == 1, "the mixer bit-fields fill exactly one byte");

typedef struct _IIS_CONTROL_PANEL_INFO {
    std::uint8_t changed_type;
    std::uint8_t sec_ID;
    std::uint8_t speaker_volume;
    std::uint8_t mic_gain;
    std::uint8_t extend_param;
    union {
        std::uint8_t mixer_param;
        _MIXER_PARAM mixer_val;
    } mixer;
    std::uint8_t verb_on_off;
    std::uint8_t backoff_on_off;
    std::uint8_t agc_on_off;
    std::uint8_t reverberance;
    std::uint8_t backoff_sensitivity;
    std::uint8_t eq_stage1band;
    std::uint8_t eq_stage2band;
    std::uint8_t eq_stage3band;
    std::uint8_t eq_stage4band;
    std::uint8_t eq_stage5band;
} IIS_CONTROL_PANEL_INFO;

static_assert(sizeof(_IIS_CONTROL_PANEL_INFO) == 16, "the output report payload is exactly 16 bytes");

using ControlPanelReport = std::array<std::uint8_t, 16>;

// The values a rebuild reads: whole numbers as the sliders hold them; the
// mixer and the reverb as the two level controls' raw doubles.
struct ControlPanelValues {
    int speaker = 0;
    int mic = 0;
    bool denoise = false;
    double mixer = 0.0;
    bool monitor = false;
    double reverb = 0.0;
    std::array<int, 5> stages{};
};

// Change codes carried in `changed_type`.
enum ControlPanelChange : unsigned {
    ChangeDenoise = 2,
    ChangeMonitorOrMixer = 3,
    ChangeReverb = 4,
    ChangeStage = 7,
    ChangeFullRefresh = 8,
};

// Reverb control value (0 to 100) to the device's level 0 to 15.
std::uint8_t quantiseReverb(double reverbValue);

// The whole record rebuilt from the settings with change code `changeCode`
// (only its low 8 bits are kept).
_IIS_CONTROL_PANEL_INFO rebuildControlPanelInfo(const ControlPanelValues& values, unsigned changeCode);

// The record's 16 bytes in report order.
inline ControlPanelReport controlPanelReport(const _IIS_CONTROL_PANEL_INFO& info)
{
    return std::bit_cast<ControlPanelReport>(info);
}
