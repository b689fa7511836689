// The property-list reader against truncated, mutated and hostile input.
#include <random>

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "settings/PropertyList.h"

namespace {

SettingsDictionary everyKey()
{
    SettingsDictionary d;
    int n = -6;
    for (const QString& key : SettingsKey::all()) {
        if (n % 2)
            d.setInteger(key, n * 7);
        else
            d.setBool(key, n % 4 == 0);
        ++n;
    }
    return d;
}

QByteArray plist(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

}

TEST(PropertyList, WriteAndReadRoundTripInBothLayouts)
{
    const SettingsDictionary d = everyKey();
    for (bool indent : {true, false}) {
        QString error;
        const auto back = PropertyList::read(PropertyList::write(d, indent), &error);
        ASSERT_TRUE(back) << error.toStdString();
        EXPECT_EQ(*back, d);
    }
    EXPECT_FALSE(PropertyList::write(d, false).contains('\n'));
}

TEST(PropertyList, ValueKindsAndKeysItSkips)
{
    const auto d = PropertyList::read(plist("<dict>"
                                            " <key>reverb</key><real>12.9</real>"
                                            " <key>stage1</key><integer> -15 </integer>"
                                            " <key>monitor</key><true/>"
                                            " <key>comment</key><string>kept out</string>"
                                            " <key>nested</key><array><dict><key>x</key><data>AA==</data></dict></array>"
                                            "</dict>"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->integerValue(SettingsKey::reverb), 12);
    EXPECT_EQ(d->integerValue(SettingsKey::stage1), -15);
    EXPECT_EQ(d->integerValue(SettingsKey::monitor), 1);
    EXPECT_EQ(d->values().size(), 3);
}

TEST(PropertyList, RejectsWhatIsNotADictionaryOfNumbers)
{
    const QByteArray rejected[] = {
        "",
        "plain text",
        plist(""),
        plist("<array/>"),
        plist("<integer>5</integer>"),
        plist("<dict/><dict/>"),
        plist("<dict><integer>5</integer></dict>"),
        plist("<dict><key>micGain</key></dict>"),
        plist("<dict><key>micGain<b/></key><integer>1</integer></dict>"),
        plist("<dict><key>micGain</key><integer>1<b/></integer></dict>"),
        plist("<dict></plist>"),
        plist("<dict/>") + "<dict/>",
        "<dict><key>micGain</key><integer>1</integer></dict>",
    };
    for (const QByteArray& text : rejected) {
        QString error;
        EXPECT_FALSE(PropertyList::read(text, &error)) << text.constData();
        EXPECT_FALSE(error.isEmpty()) << text.constData();
    }
    EXPECT_TRUE(PropertyList::read(plist("<dict/>")));
}

// A value of the wrong kind, or one no int holds, costs only its own key.
TEST(PropertyList, AWrongValueLeavesOutItsKeyAlone)
{
    const QByteArray wrong[] = {
        "<string>5</string>", "<integer>5x</integer>", "<integer>2147483648</integer>", "<real>nan</real>",
        "<real>1e300</real>", "<dict><key>a</key><integer>1</integer></dict>", "<array><true/></array>",
        "<data>AA==</data>",
    };
    for (const QByteArray& value : wrong) {
        const QByteArray text = plist("<dict><key>spkVolume</key><integer>40</integer><key>micGain</key>" + value
                                      + "<key>mixer</key><true/></dict>");
        QStringList dropped;
        const auto d = PropertyList::read(text, nullptr, &dropped);
        ASSERT_TRUE(d) << text.constData();
        EXPECT_FALSE(d->contains(SettingsKey::micGain)) << text.constData();
        EXPECT_EQ(d->integerValue(SettingsKey::micGain), 0);
        EXPECT_EQ(d->integerValue(SettingsKey::spkVolume), 40) << text.constData();
        EXPECT_TRUE(d->boolValue(SettingsKey::mixer)) << text.constData();
        ASSERT_EQ(dropped.size(), 1) << text.constData();
        EXPECT_TRUE(dropped.first().contains(QStringLiteral("\"micGain\""))) << dropped.first().toStdString();
    }
}

TEST(PropertyList, EveryTruncationIsRejected)
{
    const QByteArray full = PropertyList::write(everyKey());
    const qsizetype end = full.lastIndexOf("</plist>") + 8;
    for (qsizetype length = 0; length < end; ++length)
        EXPECT_FALSE(PropertyList::read(full.left(length))) << "length " << length;
    EXPECT_TRUE(PropertyList::read(full.left(end)));
}

TEST(PropertyList, HostileDocumentsAreRefusedQuickly)
{
    // Nested entity expansion ("billion laughs").
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a0 \"lol\">";
    for (int i = 1; i < 12; ++i)
        laughs += QStringLiteral("<!ENTITY a%1 \"&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;\">")
                      .arg(i)
                      .arg(i - 1)
                      .toLatin1();
    laughs += "]><plist><dict><key>reverb</key><integer>&a11;</integer></dict></plist>";

    // An external entity is never fetched.
    const QByteArray external = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY x SYSTEM \"file:///etc/hostname\">]>"
                                "<plist><dict><key>reverb</key><integer>&x;</integer></dict></plist>";

    // Deep nesting under a key that is skipped.
    const QByteArray deep = plist("<dict><key>other</key>" + QByteArray("<array>").repeated(200000)
                                  + QByteArray("</array>").repeated(200000) + "</dict>");

    QElapsedTimer timer;
    timer.start();
    // Neither is expanded: the value is no number, so its key is left out.
    for (const QByteArray& text : {laughs, external}) {
        const auto d = PropertyList::read(text);
        EXPECT_TRUE(!d || d->values().isEmpty()) << text.left(80).constData();
    }
    const auto skipped = PropertyList::read(deep);
    ASSERT_TRUE(skipped);
    EXPECT_TRUE(skipped->values().isEmpty());
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(PropertyList, MutatedInputNeverBreaksTheReader)
{
    const QByteArray seed = PropertyList::write(everyKey());
    std::mt19937 random(20261207);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray text = seed;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const auto at = static_cast<qsizetype>(random() % static_cast<unsigned>(text.size()));
            switch (random() % 3) {
            case 0:
                text[at] = static_cast<char>(random() % 256);
                break;
            case 1:
                text.remove(at, 1 + static_cast<qsizetype>(random() % 16));
                break;
            default:
                text.insert(at, text.mid(static_cast<qsizetype>(random() % static_cast<unsigned>(text.size())), 12));
                break;
            }
            if (text.isEmpty())
                text = "<";
        }
        const auto d = PropertyList::read(text);
        if (!d)
            continue;
        ++accepted;
        // Whatever was accepted is a dictionary that survives another trip.
        EXPECT_EQ(PropertyList::read(PropertyList::write(*d)), d);
    }
    // Some mutations (inside numbers, whitespace) leave a valid document.
    EXPECT_GT(accepted, 0);
}
