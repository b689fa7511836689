#include "app/SystemVolumes.h"

#include "FakeAudioSystem.h"
#include "settings/SettingsDictionary.h"

#include <gtest/gtest.h>

namespace {

// Each origin of a change reaches the system volume only where the user
// asked for it: a control or a remote sets it (and the mute flag says what
// the server took), while the server's own change, a load, a preset or an
// undo step never writes one back.
TEST(SystemVolumes, OnlyAChangeTheUserAskedForSetsAVolume)
{
    FakeAudioSystem audio;
    audio.addDevice({.id = 1, .outputName = "out", .inputName = "in", .outputVolume = 0.5f, .inputVolume = 0.5f});
    audio.setDefault(AudioScope::Output, 1);
    audio.setDefault(AudioScope::Input, 1);
    PanelModel model;
    SettingsDictionary file;
    SystemVolumes volumes(model, audio);
    volumes.setStoredSettings(&file);

    const struct {
        PanelSetting setting;
        int value;
        ChangeOrigin origin;
        float output;
        float input;
    } cases[] = {
        {PanelSetting::Speaker, 40, ChangeOrigin::Control, 0.4f, 0.5f},
        {PanelSetting::Mic, 0, ChangeOrigin::Remote, 0.4f, 0.0f},
        {PanelSetting::Speaker, 70, ChangeOrigin::Server, 0.4f, 0.0f},
        {PanelSetting::Mic, 90, ChangeOrigin::Stored, 0.4f, 0.0f},
        {PanelSetting::Speaker, 20, ChangeOrigin::Preset, 0.4f, 0.0f},
        {PanelSetting::Mic, 30, ChangeOrigin::History, 0.4f, 0.0f},
        {PanelSetting::Speaker, 60, ChangeOrigin::Control, 0.6f, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.origin));
        ASSERT_TRUE(model.apply(SettingsBatch::of(c.setting, c.value), c.origin));
        EXPECT_FLOAT_EQ(audio.volume(1, AudioScope::Output), c.output);
        EXPECT_FLOAT_EQ(audio.volume(1, AudioScope::Input), c.input);
    }
    EXPECT_FALSE(file.boolValue(SettingsKey::spkMute));
    EXPECT_TRUE(file.boolValue(SettingsKey::micMute)) << "the server took a Mic of 0";
}

} // namespace
