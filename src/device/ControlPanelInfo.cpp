#include "device/ControlPanelInfo.h"

#include <cstring>

std::uint8_t quantiseReverb(double reverbValue)
{
    // Multiply first, then divide: 6.66 must give 0 and 6.67 must give 1.
    const double e = reverbValue * 15 / 100;
    for (int k = 0; k < 15; ++k) {
        if (k <= e && e < k + 1)
            return static_cast<std::uint8_t>(k);
    }
    // 100 itself, anything outside 0..100 and NaN.
    return 15;
}

_IIS_CONTROL_PANEL_INFO rebuildControlPanelInfo(const ControlPanelValues& values, unsigned changeCode)
{
    _IIS_CONTROL_PANEL_INFO info;
    std::memset(&info, 0, sizeof info);

    info.changed_type = static_cast<std::uint8_t>(changeCode);
    info.sec_ID = 0x11;

    info.speaker_volume = static_cast<std::uint8_t>(values.speaker);
    info.mic_gain = static_cast<std::uint8_t>(values.mic);

    info.extend_param = values.denoise ? 1 : 0;

    // Only a level of exactly 1.0 (set by the mixer switch) turns the mixer
    // on; a level dragged part-way counts as off.
    const bool mixerOn = values.mixer == 1.0;
    info.mixer.mixer_val.mixer_on_off = mixerOn;
    info.mixer.mixer_val.monitor_on_off = values.monitor;
    info.mixer.mixer_val.switch_3d_on_off = true;
    info.mixer.mixer_val.mixer_unused = false;
    info.mixer.mixer_val.music_gain = mixerOn ? 1U : 0U;

    info.verb_on_off = 1;
    info.backoff_on_off = 1;
    info.agc_on_off = 0;

    info.reverberance = quantiseReverb(values.reverb);

    info.backoff_sensitivity = 0;

    // Low 8 bits of the two's complement: -15 goes out as 0xF1.
    info.eq_stage1band = static_cast<std::uint8_t>(values.stages[0]);
    info.eq_stage2band = static_cast<std::uint8_t>(values.stages[1]);
    info.eq_stage3band = static_cast<std::uint8_t>(values.stages[2]);
    info.eq_stage4band = static_cast<std::uint8_t>(values.stages[3]);
    info.eq_stage5band = static_cast<std::uint8_t>(values.stages[4]);
    return info;
}
