// The preset text format: what is written reads back the same, and each
// kind of bad input is refused whole with a message that says what is wrong.
#include <gtest/gtest.h>

#include "presets/FactoryPresets.h"
#include "presets/PresetFormat.h"

namespace {

const Preset kVoice{QStringLiteral("Röntgen voice"), PresetSound{true, false, {-15, 15, 0, 7, -1}, 100, true}, false};

QByteArray withLine(const QString& key, const QString& value)
{
    QByteArray text = PresetFormat::write(kVoice);
    const qsizetype at = text.indexOf('\n' + key.toUtf8() + '=');
    EXPECT_GE(at, 0) << qPrintable(key);
    const qsizetype end = text.indexOf('\n', at + 1);
    return text.left(at + 1) + key.toUtf8() + '=' + value.toUtf8() + text.mid(end);
}

QString refusal(const QByteArray& text)
{
    QString why;
    EXPECT_FALSE(PresetFormat::read(text, &why).has_value()) << text.constData();
    return why;
}

} // namespace

TEST(PresetFormat, APresetReadsBackAsWrittenWithItsExtremesAndAUnicodeName)
{
    QString why;
    const auto read = PresetFormat::read(PresetFormat::write(kVoice), &why);
    ASSERT_TRUE(read) << qPrintable(why);
    EXPECT_EQ(*read, kVoice);

    // Hand-written: comments, blank lines, spaces and another key order.
    const auto hand = PresetFormat::read("# mine\n\nformat = quorel-preset\nversion=1\n mixer=off\nreverb=5\n"
                                         "stage5=1\nstage4=2\nstage3=3\nstage2=4\nstage1=5\ndenoise=on\nmonitor=off\n"
                                         "name=Hand made\n",
                                         &why);
    ASSERT_TRUE(hand) << qPrintable(why);
    EXPECT_EQ(hand->name, QStringLiteral("Hand made"));
    EXPECT_EQ(hand->sound, (PresetSound{false, true, {5, 4, 3, 2, 1}, 5, false}));
}

// Every row a preset holds is written under its name and read back at both
// ends of its range; one past an end is refused naming the key. The rows a
// preset does not hold (the volumes) are not keys of it.
TEST(PresetFormat, EverySoundSettingRoundTripsAtItsEndsByItsRow)
{
    for (const SettingRow& row : settingRows()) {
        SCOPED_TRACE(row.name);
        if (!row.inSound) {
            EXPECT_FALSE(PresetFormat::write(kVoice).contains('\n' + QByteArray(row.name) + '='));
            continue;
        }
        for (const int end : {row.min, row.max}) {
            Preset preset = kVoice;
            preset.sound.setValue(row.setting, end);
            QString why;
            const auto read = PresetFormat::read(PresetFormat::write(preset), &why);
            ASSERT_TRUE(read) << qPrintable(why);
            EXPECT_EQ(read->sound.value(row.setting), end);
        }
        if (!row.isSwitch) {
            EXPECT_TRUE(refusal(withLine(QLatin1String(row.name), QString::number(row.max + 1)))
                            .contains(QLatin1String(row.name)));
        }
    }
}

TEST(PresetFormat, EachBadInputIsRefusedWithAMessageSayingWhat)
{
    EXPECT_TRUE(refusal(QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)).contains(QStringLiteral("wrong type")));
    EXPECT_TRUE(refusal("format=quorel-presets\nversion=1\n").contains(QStringLiteral("wrong type")))
        << "a store is not a shared preset";
    EXPECT_TRUE(refusal("[Section]\nkey=value\n").contains(QStringLiteral("wrong type")));
    EXPECT_TRUE(refusal("").contains(QStringLiteral("wrong type")));

    EXPECT_EQ(refusal(withLine(QStringLiteral("version"), QStringLiteral("2"))),
              QStringLiteral("its version \"2\" is unknown; this panel reads version 1"));
    EXPECT_EQ(refusal(withLine(QStringLiteral("stage3"), QStringLiteral("16"))),
              QStringLiteral("stage3 is 16, out of its range -15 to 15"));
    EXPECT_EQ(refusal(withLine(QStringLiteral("reverb"), QStringLiteral("-1"))),
              QStringLiteral("reverb is -1, out of its range 0 to 100"));
    EXPECT_EQ(refusal(withLine(QStringLiteral("stage1"), QStringLiteral("loud"))),
              QStringLiteral("stage1 takes a whole number from -15 to 15, not \"loud\""));
    EXPECT_EQ(refusal(withLine(QStringLiteral("stage1"), QStringLiteral("2.5"))),
              QStringLiteral("stage1 takes a whole number from -15 to 15, not \"2.5\""));
    EXPECT_EQ(refusal(withLine(QStringLiteral("denoise"), QStringLiteral("1"))),
              QStringLiteral("denoise takes on or off, not \"1\""));
    EXPECT_EQ(refusal(withLine(QStringLiteral("mixer"), QStringLiteral("off\nbass=12"))),
              QStringLiteral("unknown key \"bass\""));
    EXPECT_EQ(refusal(withLine(QStringLiteral("reverb"), QStringLiteral("5\nreverb=6"))),
              QStringLiteral("reverb is given twice"));
    EXPECT_EQ(refusal(withLine(QStringLiteral("name"), QStringLiteral(""))), QStringLiteral("a preset needs a name"));

    QByteArray missing = PresetFormat::write(kVoice);
    missing.replace("stage4=7\n", "");
    EXPECT_EQ(refusal(missing), QStringLiteral("stage4 is missing"));
}

TEST(PresetFormat, AStoreLosesOnlyTheDamagedPresetsAndNamesThem)
{
    const Preset a{QStringLiteral("A"), PresetSound{true, true, {1, 2, 3, 4, 5}, 10, false}, false};
    const Preset b{QStringLiteral("B [live]"), PresetSound{false, false, {-1, -2, -3, -4, -5}, 90, true}, false};
    QByteArray text = PresetFormat::writeStore({a, b, a}, QStringLiteral("B [live]"));
    // Damage the second section only; the third repeats the first's name.
    text.replace("stage3=-3", "stage3=-30");
    QString why;
    const auto store = PresetFormat::readStore(text, &why);
    ASSERT_TRUE(store) << qPrintable(why);
    EXPECT_EQ(store->presets, QList<Preset>{a});
    EXPECT_EQ(store->active, QStringLiteral("B [live]"));
    ASSERT_EQ(store->damaged.size(), 2) << qPrintable(store->damaged.join('\n'));
    EXPECT_TRUE(store->damaged[0].contains(QStringLiteral("\"B [live]\"")));
    EXPECT_TRUE(store->damaged[0].contains(QStringLiteral("stage3 is -30")));
    EXPECT_TRUE(store->damaged[1].contains(QStringLiteral("name is taken")));

    EXPECT_FALSE(PresetFormat::readStore(PresetFormat::write(a), &why)) << "a shared preset is not a store";
    EXPECT_FALSE(PresetFormat::readStore("format=quorel-presets\nversion=7\n", &why));
    EXPECT_TRUE(why.contains(QStringLiteral("version \"7\" is unknown")));
}

TEST(PresetFormat, NamesThatWouldBreakTheStoreAreRefused)
{
    QString why;
    EXPECT_TRUE(PresetFormat::validName(QStringLiteral("Late night (quiet)"), &why));
    EXPECT_FALSE(PresetFormat::validName(QStringLiteral("two\nlines"), &why));
    EXPECT_FALSE(PresetFormat::validName(QStringLiteral("[section]"), &why));
    EXPECT_FALSE(PresetFormat::validName(QStringLiteral(" padded"), &why));
    EXPECT_FALSE(PresetFormat::validName(QString(65, QLatin1Char('x')), &why));
}

TEST(FactoryPresets, FlatIsTheFirstRunSoundAndEveryPresetIsInRangeAndDistinct)
{
    const QList<Preset>& all = FactoryPresets::all();
    ASSERT_GE(all.size(), 4);
    EXPECT_EQ(all[0].name, QStringLiteral("Flat"));
    // Config.plist: every effect off, the equaliser level.
    EXPECT_EQ(all[0].sound, PresetSound{});
    for (qsizetype i = 0; i < all.size(); ++i) {
        QString why;
        EXPECT_TRUE(all[i].factory);
        EXPECT_TRUE(all[i].sound.inRange(&why)) << qPrintable(all[i].name) << qPrintable(why);
        for (qsizetype j = 0; j < i; ++j)
            EXPECT_NE(all[i].sound, all[j].sound) << qPrintable(all[i].name) << " " << qPrintable(all[j].name);
    }
    EXPECT_EQ(FactoryPresets::find(QStringLiteral("voice")), &all[1]);
}
