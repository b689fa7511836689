// The user's preset store and import and export, on real files: changes
// survive a restart, a damaged store costs only what it damages, and a bad
// import adds nothing.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetFormat.h"
#include "presets/PresetStore.h"
#include "scenes/SceneStore.h"

namespace {

const PresetSound kLoud{true, false, {10, 8, 6, 4, 2}, 40, false};
const PresetSound kSoft{false, true, {-2, -4, -6, -8, -10}, 5, true};

class PresetStoreTest : public ::testing::Test {
protected:
    // Its folder does not exist yet, as on a first run.
    QString storeFile() const { return m_dir.filePath(QStringLiteral("config/quorel-panel/presets")); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    static void writeFile(const QString& file, const QByteArray& bytes)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    static QByteArray readFile(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QStringList userNames(const PresetStore& store)
    {
        return store.names().mid(FactoryPresets::all().size());
    }

    // Imports `file` and waits for the outcome: the name, or the message.
    static std::pair<QString, QString> importInto(PresetStore& store, const QString& file)
    {
        QSignalSpy imported(&store, &PresetStore::imported);
        QSignalSpy failed(&store, &PresetStore::failed);
        store.importFile(file);
        const bool ended = QTest::qWaitFor([&] { return !imported.isEmpty() || !failed.isEmpty(); }, 20000);
        EXPECT_TRUE(ended);
        if (!imported.isEmpty())
            return {imported.first().first().toString(), QString()};
        return {QString(), failed.isEmpty() ? QString() : failed.first().first().toString()};
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PresetStoreTest, SavedOverwrittenRenamedAndDeletedPresetsAreThereAfterARestart)
{
    {
        PresetStore store(storeFile());
        EXPECT_TRUE(store.load().isEmpty()) << "no file yet is a first run, not a loss";
        QString why;
        ASSERT_TRUE(store.save(QStringLiteral("Loud"), kSoft, &why)) << qPrintable(why);
        ASSERT_TRUE(store.save(QStringLiteral("Loud"), kLoud, &why)) << "overwrites";
        ASSERT_TRUE(store.save(QStringLiteral("Soft"), kSoft, &why));
        ASSERT_TRUE(store.save(QStringLiteral("Gone"), kSoft, &why));
        ASSERT_TRUE(store.rename(QStringLiteral("Soft"), QStringLiteral("Soft too"), &why));
        ASSERT_TRUE(store.remove(QStringLiteral("Gone"), &why));
        store.setActive(QStringLiteral("Soft too"));
        EXPECT_EQ(userNames(store), (QStringList{QStringLiteral("Loud"), QStringLiteral("Soft too")}));
    }
    PresetStore again(storeFile());
    EXPECT_TRUE(again.load().isEmpty());
    EXPECT_EQ(userNames(again), (QStringList{QStringLiteral("Loud"), QStringLiteral("Soft too")}));
    ASSERT_TRUE(again.find(QStringLiteral("Loud")));
    EXPECT_EQ(again.find(QStringLiteral("Loud"))->sound, kLoud);
    EXPECT_EQ(again.find(QStringLiteral("Soft too"))->sound, kSoft);
    EXPECT_EQ(again.active(), QStringLiteral("Soft too"));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(storeFile()).path() + QStringLiteral("/quorel-panel.conf")))
        << "the presets never go near the settings' file";
}

TEST_F(PresetStoreTest, FactoryPresetsCannotBeChangedAndMistakesChangeNothing)
{
    PresetStore store(storeFile());
    store.load();
    QString why;
    EXPECT_FALSE(store.save(QStringLiteral("flat"), kLoud, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("factory preset"))) << qPrintable(why);
    EXPECT_FALSE(store.rename(QStringLiteral("Voice"), QStringLiteral("Mine"), &why));
    EXPECT_FALSE(store.remove(QStringLiteral("Music"), &why));
    EXPECT_FALSE(store.remove(QStringLiteral("Nothing"), &why));
    EXPECT_EQ(why, QStringLiteral("there is no preset \"Nothing\""));
    EXPECT_FALSE(store.save(QStringLiteral("Bad"), PresetSound{false, false, {0, 0, 99, 0, 0}, 0, false}, &why));
    ASSERT_TRUE(store.save(QStringLiteral("A"), kLoud, &why));
    ASSERT_TRUE(store.save(QStringLiteral("B"), kSoft, &why));
    EXPECT_FALSE(store.rename(QStringLiteral("A"), QStringLiteral("B"), &why)) << "would lose B";
    EXPECT_EQ(store.find(QStringLiteral("B"))->sound, kSoft);
    EXPECT_EQ(userNames(store), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST_F(PresetStoreTest, AHandEditedStoreCostsOnlyThePresetsItDamagesAndSaysWhich)
{
    QByteArray text = PresetFormat::writeStore({{QStringLiteral("Kept"), kLoud, false},
                                                {QStringLiteral("Broken"), kSoft, false},
                                                {QStringLiteral("Voice"), kLoud, false},
                                                {QStringLiteral("Also kept"), kLoud, false}},
                                               QStringLiteral("Broken"));
    text.replace("reverb=5", "reverb=lots");
    text += "\n[By hand]  \n# mine\nmonitor = on\n";
    writeFile(storeFile(), text);

    LogCapture log;
    PresetStore store(storeFile());
    const QStringList losses = store.load();
    ASSERT_EQ(losses.size(), 3) << qPrintable(losses.join('\n'));
    EXPECT_TRUE(losses[0].contains(QStringLiteral("\"Broken\"")) && losses[0].contains(QStringLiteral("reverb")));
    EXPECT_TRUE(losses[1].contains(QStringLiteral("\"By hand\"")) && losses[1].contains(QStringLiteral("denoise")));
    EXPECT_TRUE(losses[2].contains(QStringLiteral("\"Voice\"")) && losses[2].contains(QStringLiteral("factory")));
    EXPECT_EQ(log.count(QStringLiteral("\"Broken\"")), 1) << "logged once";
    EXPECT_EQ(userNames(store), (QStringList{QStringLiteral("Kept"), QStringLiteral("Also kept")}));
    EXPECT_TRUE(store.active().isEmpty()) << "the active preset was the damaged one";
    EXPECT_EQ(readFile(storeFile()), text) << "left alone until the next change";

    // A change writes what was left out back as it stands.
    store.setActive(QStringLiteral("Kept"));
    store.waitForFiles();
    for (const char* header : {"[Broken]", "[Voice]", "[By hand]  "}) {
        const qsizetype from = text.indexOf(header);
        const qsizetype to = text.indexOf("\n\n", from);
        EXPECT_TRUE(readFile(storeFile()).contains(text.mid(from, to < 0 ? -1 : to + 1 - from))) << header;
    }
}

// The first change sets it aside, once, and never over one set aside before.
TEST_F(PresetStoreTest, AStoreThatCannotBeReadIsKeptUnderAnotherNameWhenThePresetsChange)
{
    QByteArray newer = PresetFormat::writeStore({{QStringLiteral("Mine"), kLoud, false}}, QString());
    newer.replace("version=1", "version=2");
    const QList<QByteArray> unreadable{newer, QByteArray("\xff\xd8\xff\xe0", 4)};
    for (const QByteArray& bytes : unreadable) {
        writeFile(storeFile(), bytes);
        PresetStore store(storeFile());
        store.load();
        QSignalSpy failed(&store, &PresetStore::failed);
        store.setActive(QStringLiteral("Voice"));
        store.setActive(QStringLiteral("Music"));
        store.waitForFiles();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !failed.isEmpty(); }, 20000));
        EXPECT_TRUE(failed.first().first().toString().contains(QStringLiteral("presets.unreadable-")));
        EXPECT_EQ(failed.size(), 1);
    }
    const QDir folder = QFileInfo(storeFile()).dir();
    QList<QByteArray> kept;
    for (const QString& name : folder.entryList({QStringLiteral("presets.unreadable-*")}))
        kept << readFile(folder.filePath(name));
    EXPECT_EQ(kept.size(), 2);
    EXPECT_TRUE(kept.contains(unreadable[0]) && kept.contains(unreadable[1]));
    PresetStore again(storeFile());
    EXPECT_TRUE(again.load().isEmpty());
}

// The scenes' store shares the presets' file and text handling: a damaged
// scene and a header line not understood are left out, kept and written
// back as they stand; a store that cannot be read is set aside at the first
// change.
TEST_F(PresetStoreTest, TheScenesStoreKeepsWhatItCannotReadAsThePresetsDo)
{
    const QString file = m_dir.filePath(QStringLiteral("config/quorel-panel/scenes"));
    const QByteArray damaged = "[Discord]\npreset=Voice\nvolume=11\n";
    const QByteArray text = "format=quorel-scenes\nversion=1\nenabled=off\nlayout=wide\n\n[Zoom]\npreset=Voice\n\n"
                            + damaged + "\n[zoom]\npreset=Music\n";
    writeFile(file, text);
    SceneStore store(file);
    const QStringList losses = store.load();
    ASSERT_EQ(losses.size(), 3) << qPrintable(losses.join('\n'));
    EXPECT_TRUE(losses[0].contains(QStringLiteral("line 4")));
    EXPECT_TRUE(losses[1].contains(QStringLiteral("line 9")) && losses[1].contains(QStringLiteral("preset=")));
    EXPECT_TRUE(losses[2].contains(QStringLiteral("same application")));
    EXPECT_EQ(store.scenes(), (QList<Scene>{{QStringLiteral("Zoom"), QStringLiteral("Voice")}}));
    EXPECT_FALSE(store.enabled());

    QString why;
    ASSERT_TRUE(store.add({QStringLiteral("Teams"), QStringLiteral("Podcast")}, &why)) << qPrintable(why);
    store.waitForWrites();
    const QByteArray written = readFile(file);
    EXPECT_TRUE(written.contains("layout=wide\n") && written.contains(damaged) && written.contains("[zoom]\npreset=Music\n")
                && written.contains("[Teams]\npreset=Podcast\n"))
        << written.constData();
    SceneStore reread(file);
    EXPECT_EQ(reread.load().size(), 3);
    EXPECT_EQ(reread.scenes().size(), 2);

    writeFile(file, QByteArray("\xff\xd8\xff\xe0", 4));
    SceneStore unreadable(file);
    ASSERT_EQ(unreadable.load().size(), 1);
    EXPECT_TRUE(unreadable.scenes().isEmpty());
    QSignalSpy failed(&unreadable, &SceneStore::failed);
    unreadable.setEnabled(false);
    unreadable.waitForWrites();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failed.isEmpty(); }, 20000));
    EXPECT_TRUE(failed.first().first().toString().contains(QStringLiteral("scenes.unreadable-")));
    const QStringList kept = QFileInfo(file).dir().entryList({QStringLiteral("scenes.unreadable-*")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(readFile(QFileInfo(file).dir().filePath(kept.first())), QByteArray("\xff\xd8\xff\xe0", 4));
}

TEST_F(PresetStoreTest, PresetsPastTheCapAreToldOfAndKeptInTheFile)
{
    QList<Preset> many;
    for (int i = 0; i < 250; ++i)
        many.append({QStringLiteral("P%1").arg(i), kLoud, false});
    writeFile(storeFile(), PresetFormat::writeStore(many, QString()));
    PresetStore store(storeFile());
    EXPECT_TRUE(store.load().join(QString()).contains(QStringLiteral("first 200 are offered, and the other 50")));
    QString why;
    ASSERT_TRUE(store.remove(QStringLiteral("P0"), &why));
    store.waitForFiles();
    PresetStore again(storeFile());
    EXPECT_TRUE(again.load().join(QString()).contains(QStringLiteral("other 49")));
    EXPECT_EQ(userNames(again).size(), PresetStore::MaxUserPresets);
    EXPECT_EQ(userNames(again).last(), QStringLiteral("P200"));
}

TEST_F(PresetStoreTest, ANameMadeFreeOnImportStaysWithinTheLimit)
{
    PresetStore store(storeFile());
    store.load();
    // The second has a character of two UTF-16 units where the number goes.
    for (const QString& name : {QString(64, QLatin1Char('x')),
                                QString(61, QLatin1Char('x')) + QString::fromUtf8("\xF0\x9F\x8E\xB5y")}) {
        writeFile(path(QStringLiteral("long.qpreset")), PresetFormat::write({name, kLoud, false}));
        for (int i = 0; i < 3; ++i)
            importInto(store, path(QStringLiteral("long.qpreset")));
    }
    store.waitForFiles();
    PresetStore again(storeFile());
    EXPECT_TRUE(again.load().isEmpty());
    EXPECT_EQ(userNames(again).size(), 6);
    EXPECT_EQ(userNames(again), userNames(store));
}

TEST_F(PresetStoreTest, AStoreThatIsNotARegularFileOrFarTooLargeOffersTheFactoryPresets)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(storeFile()).path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(storeFile()).constData(), 0600), 0);
    PresetStore fifo(storeFile());
    QStringList losses = fifo.load();
    ASSERT_EQ(losses.size(), 1);
    EXPECT_TRUE(losses[0].contains(QStringLiteral("not a regular file"))) << qPrintable(losses[0]);
    EXPECT_EQ(fifo.names().size(), FactoryPresets::all().size());

    QFile::remove(storeFile());
    QByteArray big = PresetFormat::writeStore({{QStringLiteral("Kept"), kLoud, false}}, QString());
    big += QByteArray(PresetFormat::MaxFileSize, '#');
    writeFile(storeFile(), big);
    PresetStore large(storeFile());
    losses = large.load();
    ASSERT_EQ(losses.size(), 1);
    EXPECT_TRUE(losses[0].contains(QStringLiteral("larger than 64 KiB"))) << qPrintable(losses[0]);
    EXPECT_EQ(large.names().size(), FactoryPresets::all().size());
}

TEST_F(PresetStoreTest, ExportedPresetsImportUnderAFreeNameAndBadFilesAddNothing)
{
    PresetStore store(storeFile());
    store.load();
    QString why;
    ASSERT_TRUE(store.save(QStringLiteral("Mine"), kLoud, &why));
    QSignalSpy exported(&store, &PresetStore::exported);
    ASSERT_TRUE(store.exportFile(QStringLiteral("Mine"), path(QStringLiteral("out/mine.qpreset")), &why));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !exported.isEmpty(); }, 20000));
    EXPECT_TRUE(readFile(path(QStringLiteral("out/mine.qpreset"))).contains("version=1\n"));

    const auto [name, message] = importInto(store, path(QStringLiteral("out/mine.qpreset")));
    EXPECT_EQ(name, QStringLiteral("Mine 2")) << qPrintable(message);
    EXPECT_EQ(store.find(QStringLiteral("Mine 2"))->sound, kLoud);

    // Every bad file, and the store unchanged after each.
    const QStringList before = store.names();
    QByteArray outOfRange = PresetFormat::write({QStringLiteral("X"), kLoud, false});
    outOfRange.replace("stage1=10", "stage1=-16");
    QByteArray newer = PresetFormat::write({QStringLiteral("X"), kLoud, false});
    newer.replace("version=1", "version=2");
    writeFile(path(QStringLiteral("range.qpreset")), outOfRange);
    writeFile(path(QStringLiteral("newer.qpreset")), newer);
    writeFile(path(QStringLiteral("image.qpreset")), QByteArray("\xff\xd8\xff\xe0\0\x10JFIF", 10));
    writeFile(path(QStringLiteral("large.qpreset")),
              PresetFormat::write({QStringLiteral("X"), kLoud, false}) + QByteArray(PresetFormat::MaxFileSize, '#'));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.qpreset"))).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("folder.qpreset"))));

    const std::vector<std::pair<QString, QString>> cases{
        {QStringLiteral("range.qpreset"), QStringLiteral("stage1 is -16, out of its range -15 to 15")},
        {QStringLiteral("newer.qpreset"), QStringLiteral("version \"2\" is unknown")},
        {QStringLiteral("image.qpreset"), QStringLiteral("wrong type")},
        {QStringLiteral("large.qpreset"), QStringLiteral("larger than 64 KiB")},
        {QStringLiteral("pipe.qpreset"), QStringLiteral("not a regular file")},
        {QStringLiteral("folder.qpreset"), QStringLiteral("not a regular file")},
        {QStringLiteral("missing.qpreset"), QStringLiteral("No such file")},
    };
    for (const auto& [file, expected] : cases) {
        const auto [imported, failure] = importInto(store, path(file));
        EXPECT_TRUE(imported.isEmpty()) << qPrintable(file);
        EXPECT_TRUE(failure.contains(path(file)) && failure.contains(expected)) << qPrintable(failure);
        EXPECT_EQ(store.names(), before) << qPrintable(file);
    }
}

TEST_F(PresetStoreTest, AStoreThatCannotBeWrittenSaysSoAndKeepsThePresetsInTheSession)
{
    // The folder is a file: the store cannot be created there.
    writeFile(path(QStringLiteral("blocked")), "a file");
    PresetStore store(path(QStringLiteral("blocked/presets")));
    store.load();
    QSignalSpy failed(&store, &PresetStore::failed);
    QString why;
    ASSERT_TRUE(store.save(QStringLiteral("Mine"), kLoud, &why));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failed.isEmpty(); }, 20000));
    EXPECT_TRUE(failed.first().first().toString().startsWith(QStringLiteral("Cannot store the presets in ")));
    EXPECT_TRUE(store.find(QStringLiteral("Mine")));
}
