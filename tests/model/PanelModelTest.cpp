#include "model/DeviceRecordSender.h"
#include "model/PanelModel.h"
#include "model/StoredSettingsWriter.h"
#include "settings/SettingsDictionary.h"

#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

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
// fields that changed; a batch with a value out of its range changes nothing.
TEST(PanelModel, TellsOfEachRealChangeOnceAndTakesABatchWholeOrNotAtAll)
{
    PanelModel model;
    QSignalSpy spy(&model, &PanelModel::settingsChanged);
    QSignalSpy applied(&model, &PanelModel::applied);

    ASSERT_TRUE(model.apply(SettingsBatch::ofAll(sample()), ChangeOrigin::Stored));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).value<PanelSettings>(), sample());
    const auto fields = spy.last().at(1).value<PanelFields>();
    EXPECT_EQ(fields, PanelField::Speaker | PanelField::Mic | PanelField::Denoise | PanelField::Reverb
                          | PanelField::Stage2 | PanelField::Stage3 | PanelField::Stage5);

    ASSERT_TRUE(model.apply(SettingsBatch::of(PanelSetting::Speaker, 50), ChangeOrigin::Remote));
    EXPECT_EQ(spy.count(), 1) << "a value already held is no change";
    ASSERT_EQ(applied.count(), 2) << "yet the batch was taken";

    QString why;
    SettingsBatch bad = SettingsBatch::of(PanelSetting::Monitor, 1);
    bad.set(PanelSetting::Stage1, -16);
    EXPECT_FALSE(model.apply(bad, ChangeOrigin::Remote, &why));
    EXPECT_EQ(why, QStringLiteral("stage1 takes -15 to 15; -16 is out of range"));
    EXPECT_FALSE(model.apply(SettingsBatch::of(PanelSetting::Reverb, std::nan("")), ChangeOrigin::Control));
    EXPECT_EQ(model.settings(), sample());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(applied.count(), 2);

    SoundValues preset;
    preset.mixer = true;
    preset.monitor = true;
    preset.stages = {1, 2, 3, 4, 5};
    ASSERT_TRUE(model.apply(SettingsBatch::ofSound(preset), ChangeOrigin::Preset));
    ASSERT_EQ(spy.count(), 2) << "a whole set of sound values is one change";
    EXPECT_EQ(model.sound(), preset);
    EXPECT_EQ(model.settings().speaker, 50) << "the volumes are not sound values";
    EXPECT_FALSE(spy.last().at(1).value<PanelFields>() & (PanelField::Speaker | PanelField::Mic));
}

// Every row of the table: its ends are taken and stored under its key with
// its type, one past either end is refused, its name and bus property find
// it again, a hand change sends its change code, and the first run's file
// holds its initial value.
TEST(SettingsTable, EveryRowBoundsStoresNamesAndSendsItsSetting)
{
    SettingsDictionary defaults;
    QFile config(QStringLiteral(QUOREL_CONFIG_PLIST));
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    const QByteArray plist = config.readAll();

    for (const SettingRow& row : settingRows()) {
        SCOPED_TRACE(row.name);
        PanelModel model;
        model.setLink(LinkState{.linking = false, .linked = true, .devicePresent = true, .responding = true});
        SettingsDictionary file;
        StoredSettingsWriter writer(model, file);
        std::vector<ControlPanelReport> sent;
        DeviceRecordSender records(model, [&](const ControlPanelReport& r) { sent.push_back(r); });

        for (const int end : {row.max, row.min}) {
            ASSERT_TRUE(model.apply(SettingsBatch::of(row.setting, end), ChangeOrigin::Control));
            const QString key = QLatin1String(row.storedKey);
            ASSERT_TRUE(SettingsKey::all().contains(key));
            if (row.isSwitch)
                EXPECT_EQ(file.values().value(key), SettingsDictionary::Value(end != 0));
            else
                EXPECT_EQ(file.values().value(key), SettingsDictionary::Value(end));
            EXPECT_EQ(PanelSettings::fromDictionary(file).value(row.setting), end);
        }
        for (const int past : {row.max + 1, row.min - 1})
            EXPECT_FALSE(model.apply(SettingsBatch::of(row.setting, past), ChangeOrigin::Remote));
        EXPECT_EQ(model.settings().value(row.setting), row.min);

        EXPECT_NE(controlPanelReport(rebuildControlPanelInfo(sample().recordValues(), 8)),
                  [&] {
                      PanelSettings moved = sample();
                      moved.setValue(row.setting, moved.value(row.setting) == row.max ? row.min : row.max);
                      return controlPanelReport(rebuildControlPanelInfo(moved.recordValues(), 8));
                  }())
            << "the record carries every setting";
        if (row.changeCode == 0) {
            EXPECT_TRUE(sent.empty()) << "a volume goes to the sound server, not the device";
        } else {
            ASSERT_EQ(sent.size(), 2u);
            EXPECT_EQ(sent.back()[0], row.changeCode);
        }
        EXPECT_EQ(findSettingRow(QString::fromLatin1(row.name).toUpper()), &row);
        EXPECT_EQ(bool(soundFields() & fieldOf(row.setting)), row.inSound);

        const QByteArray entry = "<key>" + QByteArray(row.storedKey) + "</key>\n\t"
            + (row.isSwitch ? QByteArray(row.initial ? "<true/>" : "<false/>")
                            : "<integer>" + QByteArray::number(row.initial) + "</integer>");
        EXPECT_TRUE(plist.contains(entry)) << entry.constData();
    }
}

// Each origin reaches the device as the same change made by hand would:
// a control's step always, a remote or history change only what changed,
// a preset one full record, the stage reset one record a stage, and a load,
// the sound server's volume or any change while unlinked nothing at all.
TEST(DeviceRecordSender, EachOriginSendsWhatAHandChangeWould)
{
    PanelModel model;
    std::vector<unsigned> codes;
    DeviceRecordSender records(model, [&](const ControlPanelReport& r) { codes.push_back(r[0]); });
    model.apply(SettingsBatch::ofAll(sample()), ChangeOrigin::Stored);
    model.apply(SettingsBatch::of(PanelSetting::Monitor, 1), ChangeOrigin::Control);
    EXPECT_TRUE(codes.empty()) << "unlinked";
    model.setLink(LinkState{.linking = false, .linked = true, .devicePresent = true, .responding = true});

    SoundValues both = model.sound();
    both.denoise = !both.denoise;
    both.stages[0] = 9;
    SoundValues one = both;
    one.reverb = 12;
    const struct {
        SettingsBatch batch;
        ChangeOrigin origin;
        std::vector<unsigned> codes;
    } cases[] = {
        {SettingsBatch::of(PanelSetting::Reverb, 40), ChangeOrigin::Control, {ChangeReverb}},
        {SettingsBatch::of(PanelSetting::Monitor, 0), ChangeOrigin::Remote, {ChangeMonitorOrMixer}},
        {SettingsBatch::of(PanelSetting::Monitor, 0), ChangeOrigin::Remote, {}},
        {SettingsBatch::of(PanelSetting::Speaker, 80), ChangeOrigin::Control, {}},
        {SettingsBatch::of(PanelSetting::Mic, 30), ChangeOrigin::Server, {}},
        {SettingsBatch::ofSound(model.sound()), ChangeOrigin::Preset, {ChangeFullRefresh}},
        {SettingsBatch::ofSound(both), ChangeOrigin::History, {ChangeFullRefresh}},
        {SettingsBatch::ofSound(one), ChangeOrigin::History, {ChangeReverb}},
        {SettingsBatch::ofSound(one), ChangeOrigin::History, {}},
        {SettingsBatch::ofAll(sample()), ChangeOrigin::Stored, {}},
        {SettingsBatch()
             .set(PanelSetting::Stage1, 0).set(PanelSetting::Stage2, 0).set(PanelSetting::Stage3, 0)
             .set(PanelSetting::Stage4, 0).set(PanelSetting::Stage5, 0),
         ChangeOrigin::StageReset, std::vector<unsigned>(5, ChangeStage)},
    };
    for (const auto& c : cases) {
        codes.clear();
        ASSERT_TRUE(model.apply(c.batch, c.origin));
        EXPECT_EQ(codes, c.codes) << "origin " << static_cast<int>(c.origin);
    }
    EXPECT_EQ(records.record().eq_stage1band, 0) << "each reset record carries every stage at 0";
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
    const auto set = [&](PanelSetting setting, double value) {
        model.apply(SettingsBatch::of(setting, value), ChangeOrigin::Control);
    };

    const struct {
        std::function<void()> change;
        QStringList keys;
    } cases[] = {
        {[&] { set(PanelSetting::Speaker, 0); }, {}},
        {[&] { set(PanelSetting::Speaker, 37); }, {SettingsKey::spkVolume}},
        {[&] { set(PanelSetting::Speaker, 0); }, {SettingsKey::spkVolume}},
        {[&] { set(PanelSetting::Mic, 100); }, {SettingsKey::micGain}},
        {[&] { set(PanelSetting::Stage3, -15); }, {SettingsKey::stage3}},
        {[&] { set(PanelSetting::Reverb, 57.8); }, {SettingsKey::reverb}},
        {[&] { set(PanelSetting::Reverb, 57.9); }, {}},
        {[&] { set(PanelSetting::Denoise, 0); }, {}},
        {[&] {
             SoundValues sound = model.sound();
             sound.monitor = true;
             sound.mixer = true;
             model.apply(SettingsBatch::ofSound(sound), ChangeOrigin::Preset);
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
    EXPECT_EQ(file.integerValue(SettingsKey::micGain), 100);
    EXPECT_EQ(file.integerValue(SettingsKey::stage3), -15);
    EXPECT_EQ(file.integerValue(SettingsKey::reverb), 57);
    EXPECT_FALSE(file.values().contains(SettingsKey::spkMute));

    writer.storeAll();
    EXPECT_TRUE(file.boolValue(SettingsKey::spkMute));
    PanelSettings stored = model.settings();
    stored.sound.reverb = 57; // the file keeps whole levels
    EXPECT_EQ(PanelSettings::fromDictionary(file), stored);
}
