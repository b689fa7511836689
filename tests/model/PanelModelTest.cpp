#include "model/PanelModel.h"
#include "model/StoredSettingsWriter.h"
#include "settings/SettingsDictionary.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace {

PanelSettings sample()
{
    PanelSettings s;
    s.speaker = 50;
    s.mic = 70;
    s.sound.denoise = true;
    s.sound.reverb = 40;
    s.sound.stages = {0, 3, -2, 0, 15};
    return s;
}

} // namespace

// The worked record: what the model holds is what goes on the wire.
TEST(PanelSettings, RecordValuesBuildTheDevicesRecord)
{
    const PanelSettings s = sample();
    const ControlPanelReport report = controlPanelReport(rebuildControlPanelInfo(s.recordValues(), 8));
    const ControlPanelReport expected{0x08, 0x11, 0x32, 0x46, 0x01, 0x04, 0x01, 0x01,
                                      0x00, 0x06, 0x00, 0x00, 0x03, 0xFE, 0x00, 0x0F};
    EXPECT_EQ(report, expected);

    PanelSettings mixed = s;
    mixed.sound.mixer = true;
    mixed.sound.monitor = true;
    EXPECT_EQ(rebuildControlPanelInfo(mixed.recordValues(), 3).mixer.mixer_param, 0x17);
}

// Hand-edited files: every value is taken at the end its control stops at;
// absent keys read 0 or off; storing writes all thirteen keys, mutes from
// the volumes, reverb without its fraction.
TEST(PanelSettings, DictionaryRoundTripBoundsValuesAndWritesEveryKey)
{
    SettingsDictionary file;
    file.setInteger(SettingsKey::spkVolume, 400);
    file.setInteger(SettingsKey::micGain, -3);
    file.setInteger(SettingsKey::stage2, -40);
    file.setInteger(SettingsKey::stage5, 16);
    file.setInteger(SettingsKey::reverb, 250);
    file.setBool(SettingsKey::mixer, true);
    const PanelSettings s = PanelSettings::fromDictionary(file);
    EXPECT_EQ(s.speaker, 100);
    EXPECT_EQ(s.mic, 0);
    EXPECT_EQ(s.sound.stages, (std::array<int, 5>{0, -15, 0, 0, 15}));
    EXPECT_EQ(s.sound.reverb, 100.0);
    EXPECT_TRUE(s.sound.mixer);
    EXPECT_FALSE(s.sound.monitor);

    PanelSettings changed = sample();
    changed.sound.reverb = 57.8;
    SettingsDictionary out;
    changed.storeInto(out);
    EXPECT_EQ(out.values().size(), SettingsKey::all().size());
    EXPECT_EQ(out.integerValue(SettingsKey::reverb), 57);
    EXPECT_FALSE(out.boolValue(SettingsKey::spkMute));
    EXPECT_EQ(out.integerValue(SettingsKey::stage3), -2);
    changed.speaker = 0;
    changed.storeInto(out);
    EXPECT_TRUE(out.boolValue(SettingsKey::spkMute));
    EXPECT_EQ(PanelSettings::fromDictionary(out).sound.stages, changed.sound.stages);
}

// Listeners hear of a real change once, with all values and exactly the
// fields that changed; a change that bounds to the current value is none.
TEST(PanelModel, TellsOfEachRealChangeOnceWithTheFieldsAndValues)
{
    PanelModel model;
    QSignalSpy spy(&model, &PanelModel::settingsChanged);

    model.setSettings(sample());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).value<PanelSettings>(), sample());
    const auto fields = spy.last().at(1).value<PanelFields>();
    EXPECT_TRUE(fields.testFlags(PanelField::Speaker | PanelField::Mic | PanelField::Denoise | PanelField::Reverb
                                 | PanelField::Stage2 | PanelField::Stage3 | PanelField::Stage5));
    EXPECT_FALSE(fields & (PanelField::Monitor | PanelField::Mixer | PanelField::Stage1 | PanelField::Stage4));

    model.setSettings(sample());
    model.setStage(5, 40); // already at the end
    model.setStage(6, 1);  // no such stage
    model.setSpeaker(50);
    EXPECT_EQ(spy.count(), 1);

    model.setStage(1, -16);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.last().at(1).value<PanelFields>(), PanelFields(PanelField::Stage1));
    EXPECT_EQ(model.sound().stages[0], -15);

    SoundValues preset;
    preset.mixer = true;
    preset.monitor = true;
    preset.stages = {1, 2, 3, 4, 5};
    model.setSound(preset);
    ASSERT_EQ(spy.count(), 3) << "a whole set of sound values is one change";
    EXPECT_EQ(model.sound(), preset);
    EXPECT_EQ(model.settings().speaker, 50) << "the volumes are not sound values";
    EXPECT_FALSE(spy.last().at(1).value<PanelFields>() & (PanelField::Speaker | PanelField::Mic));
}

TEST(PanelModel, LinkFaultsAndTransportTellOnlyOfChanges)
{
    PanelModel model;
    QSignalSpy link(&model, &PanelModel::linkChanged);
    QSignalSpy faults(&model, &PanelModel::faultsChanged);
    QSignalSpy transport(&model, &PanelModel::transportStateChanged);

    LinkState linked{.linking = false, .linked = true, .devicePresent = true, .responding = true};
    model.setLink(linked);
    model.setLink(linked);
    EXPECT_EQ(link.count(), 1);

    PanelFaults f;
    f.settingsUnsaved = true;
    model.setFaults(f);
    model.setFaults(f);
    EXPECT_EQ(faults.count(), 1);

    model.setTransportState(TransportRecording);
    model.setTransportState(TransportRecording);
    EXPECT_EQ(transport.count(), 1);
    EXPECT_EQ(model.transportState(), TransportRecording);
}

// The stored settings follow the model, whatever changed it: each change
// writes the keys of its fields and nothing else (the mute flags are the
// sound server's), and a change that is none writes nothing.
TEST(StoredSettingsWriter, WritesTheKeysOfEachChangeAndNoOthers)
{
    PanelModel model;
    SettingsDictionary file;
    StoredSettingsWriter writer(model, file);
    int writes = 0;
    file.setChangeListener([&] { ++writes; });

    const struct {
        std::function<void()> change;
        QStringList keys;
    } cases[] = {
        {[&] { model.setSpeaker(0); }, {}},
        {[&] { model.setSpeaker(37); }, {SettingsKey::spkVolume}},
        {[&] { model.setSpeaker(0); }, {SettingsKey::spkVolume}},
        {[&] { model.setMic(150); }, {SettingsKey::micGain}},
        {[&] { model.setStage(3, -40); }, {SettingsKey::stage3}},
        {[&] { model.setReverb(57.8); }, {SettingsKey::reverb}},
        {[&] { model.setReverb(57.9); }, {}},
        {[&] { model.setDenoise(false); }, {}},
        {[&] {
             SoundValues sound = model.sound();
             sound.monitor = true;
             sound.mixer = true;
             model.setSound(sound);
         },
         {SettingsKey::monitor, SettingsKey::mixer}},
    };
    for (const auto& c : cases) {
        const auto before = file.values();
        writes = 0;
        c.change();
        QStringList written;
        const auto after = file.values();
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (!before.contains(it.key()) || before.value(it.key()) != it.value())
                written << it.key();
        }
        written.sort();
        QStringList expected = c.keys;
        expected.sort();
        EXPECT_EQ(written, expected);
        EXPECT_EQ(writes, expected.size());
    }
    EXPECT_EQ(file.integerValue(SettingsKey::micGain), 100) << "as the model bounds it";
    EXPECT_EQ(file.integerValue(SettingsKey::stage3), -15);
    EXPECT_EQ(file.integerValue(SettingsKey::reverb), 57);
    EXPECT_FALSE(file.values().contains(SettingsKey::spkMute));

    writer.storeAll();
    EXPECT_TRUE(file.boolValue(SettingsKey::spkMute));
    PanelSettings stored = model.settings();
    stored.sound.reverb = 57; // the file keeps whole levels
    EXPECT_EQ(PanelSettings::fromDictionary(file), stored);
}
