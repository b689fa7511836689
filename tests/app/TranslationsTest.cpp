// The panel in the user's language: the window's tooltips and accessible
// names, the controls' own names and the command line's help (with Qt's
// part of it) in German and Chinese, the link text as it is in every
// language; the real program choosing its language from LANGUAGE,
// LC_ALL and LANG as a desktop session sets them; and the doctor's text
// report in that language while its JSON stays English.
#include "app/MainWindow.h"
#include "app/Translations.h"
#include "controls/MessageBand.h"
#include "controls/PresetSelector.h"
#include "device/DeviceAccess.h"
#include "session/CommandLine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QToolButton>

#include <QAccessible>
#include <QLabel>
#include <QProcess>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString accessibleName(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Name) : QString();
}

struct WindowTexts {
    QString playToolTip;
    QString stage1Name;
    QString denoiseName;
    QString reverbName;
    QString linkText;
    QString help;
};

// Read with the catalogs of `locale` loaded, as the program loads them.
WindowTexts textsIn(const QLocale& locale)
{
    const Translations translations(locale);
    MainWindow window;
    WindowTexts texts;
    texts.playToolTip = window.findChild<QWidget*>(QStringLiteral("playButton"))->toolTip();
    texts.stage1Name = accessibleName(window.findChild<QWidget*>(QStringLiteral("Stage1")));
    texts.denoiseName = accessibleName(window.findChild<QWidget*>(QStringLiteral("Denoise")));
    texts.reverbName = accessibleName(window.findChild<QWidget*>(QStringLiteral("Reverb")));
    texts.linkText = window.findChild<QLabel*>(QStringLiteral("linkText"))->text();
    texts.help = parseCommandLine({QStringLiteral("quorel-panel"), QStringLiteral("--help")}).text;
    return texts;
}

TEST(Translations, TheWindowAndTheHelpFollowTheLanguage)
{
    const WindowTexts english = textsIn(QLocale(QStringLiteral("en_GB")));
    EXPECT_EQ(english.playToolTip, QStringLiteral("Play a file"));
    EXPECT_EQ(english.stage1Name, QStringLiteral("Equaliser stage 1"));
    EXPECT_EQ(english.denoiseName, QStringLiteral("Denoise"));
    EXPECT_TRUE(english.help.startsWith(QStringLiteral("Usage: quorel-panel"))) << qPrintable(english.help);

    const WindowTexts german = textsIn(QLocale(QStringLiteral("de_DE")));
    EXPECT_EQ(german.playToolTip, QStringLiteral("Eine Datei abspielen"));
    EXPECT_EQ(german.stage1Name, QStringLiteral("Equalizer-Band 1"));
    // Named by the control itself, not by the window.
    EXPECT_EQ(german.denoiseName, QStringLiteral("Rauschunterdrückung"));
    EXPECT_EQ(german.reverbName, QStringLiteral("Hall"));
    EXPECT_TRUE(german.help.startsWith(QStringLiteral("Aufruf: quorel-panel"))) << qPrintable(german.help);
    EXPECT_TRUE(german.help.contains(QStringLiteral("Im Hintergrund starten"))) << qPrintable(german.help);

    const WindowTexts chinese = textsIn(QLocale(QStringLiteral("zh_CN")));
    EXPECT_EQ(chinese.playToolTip, QStringLiteral("播放文件"));
    EXPECT_EQ(chinese.stage1Name, QStringLiteral("均衡器第 1 段"));
    EXPECT_EQ(chinese.denoiseName, QStringLiteral("降噪"));
    EXPECT_TRUE(chinese.help.startsWith(QStringLiteral("用法：quorel-panel"))) << qPrintable(chinese.help);

    // The device's link text reads the same in every language.
    for (const WindowTexts* texts : {&english, &german, &chinese})
        EXPECT_EQ(texts->linkText, QStringLiteral("TAVO未连接"));
    // The catalogs go with the Translations that loaded them.
    EXPECT_EQ(textsIn(QLocale::c()).playToolTip, QStringLiteral("Play a file"));
}

// The preset selector names itself and its value, and the message band its
// close button, in the user's language; a preset's name is an identifier
// and stays as it is.
TEST(Translations, ThePresetSelectorAndTheMessageBandFollowTheLanguage)
{
    const Translations translations(QLocale(QStringLiteral("de_DE")));
    PresetSelector selector;
    selector.setPresets({QStringLiteral("Flat"), QStringLiteral("Voice")});
    EXPECT_EQ(selector.valueText(), QStringLiteral("Keine Voreinstellung"));
    selector.setActive(QStringLiteral("Voice"), true);
    EXPECT_EQ(selector.valueText(), QStringLiteral("Voice, geändert"));

    MessageBand band;
    auto* close = band.findChild<QToolButton*>(QStringLiteral("MessageBandClose"));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->toolTip(), QStringLiteral("Schließen"));
    EXPECT_EQ(accessibleName(close), QStringLiteral("Die Meldung schließen"));
}

// A text both logged and shown is made twice: the log stays English for
// whoever reads a bug report, the window speaks the user's language.
TEST(Translations, ThePermissionFixIsShownTranslatedAndLoggedInEnglish)
{
    const Translations translations(QLocale(QStringLiteral("de_DE")));
    using DeviceAccess::Install;
    for (Install install : {Install::RuleInPlace, Install::PackageNoRule, Install::SourceNoRule}) {
        const QString shown = DeviceAccess::permissionFix(install);
        const QString logged = DeviceAccess::permissionFixForLog(install);
        EXPECT_TRUE(shown.contains(QStringLiteral("udev-Regel 70-quorel-panel.rules"))) << qPrintable(shown);
        EXPECT_TRUE(logged.contains(QStringLiteral("udev rule 70-quorel-panel.rules"))) << qPrintable(logged);
    }
}

// Qt's own texts (here the help option's) come from Qt's catalogs, which
// Debian ships apart (qt6-translations-l10n).
TEST(Translations, QtsOwnTextsComeFromQtsCatalog)
{
    const Translations translations(QLocale(QStringLiteral("de_DE")));
    const QString help = parseCommandLine({QStringLiteral("quorel-panel"), QStringLiteral("--help")}).text;
    // Qt wraps a description to the width the longest option leaves it.
    EXPECT_TRUE(help.simplified().contains(QStringLiteral("Zeigt Hilfe zu den Kommandozeilenoptionen an.")))
        << qPrintable(help);
}

TEST(Translations, TheCatalogIsTheFirstOfTheUsersLanguagesThatHasOne)
{
    EXPECT_EQ(Translations::catalogLanguage(QLocale(QStringLiteral("de_AT"))), QStringLiteral("de"));
    EXPECT_EQ(Translations::catalogLanguage(QLocale(QStringLiteral("zh_CN"))), QStringLiteral("zh_CN"));
    // Traditional Chinese is not Simplified: no catalog, the source texts.
    EXPECT_EQ(Translations::catalogLanguage(QLocale(QStringLiteral("zh_TW"))), QString());
    EXPECT_EQ(Translations::catalogLanguage(QLocale(QStringLiteral("fr_FR"))), QString());
    EXPECT_EQ(Translations::catalogLanguage(QLocale(QStringLiteral("en_US"))), QString());
    EXPECT_EQ(Translations::catalogLanguage(QLocale::c()), QString());
}

// The real program's help, with the environment a desktop session gives it.
struct Output {
    QString out;
    bool finished = false;
};

// The real program's output for `arguments`, with the environment a desktop
// session gives it.
Output runWith(const QStringList& variables, const QStringList& arguments)
{
    QProcess panel;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        environment.remove(QString::fromLatin1(name));
    for (const QString& variable : variables)
        environment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    panel.setProcessEnvironment(environment);
    panel.start(QStringLiteral(QUOREL_PANEL_BINARY), arguments);
    // The doctor looks for a sound server and reads GStreamer's registry.
    if (!panel.waitForFinished(180000))
        return {};
    return {QString::fromUtf8(panel.readAllStandardOutput()), true};
}

QString helpWith(const QStringList& variables)
{
    const Output output = runWith(variables, {QStringLiteral("--help")});
    return output.finished ? output.out.section(QLatin1Char('\n'), 0, 0) : QStringLiteral("(no answer)");
}

TEST(Translations, TheProgramTakesTheLanguageFromTheEnvironment)
{
    EXPECT_EQ(helpWith({QStringLiteral("LANG=de_DE.UTF-8")}),
              QStringLiteral("Aufruf: quorel-panel [Optionen] [key=value ...]"));
    EXPECT_EQ(helpWith({QStringLiteral("LANG=zh_CN.UTF-8")}), QStringLiteral("用法：quorel-panel [选项] [key=value ...]"));
    // LANGUAGE lists the user's languages in order, over LANG.
    EXPECT_EQ(helpWith({QStringLiteral("LANG=de_DE.UTF-8"), QStringLiteral("LANGUAGE=zh_CN:de")}),
              QStringLiteral("用法：quorel-panel [选项] [key=value ...]"));
    EXPECT_EQ(helpWith({QStringLiteral("LANG=fr_FR.UTF-8"), QStringLiteral("LANGUAGE=fr:de")}),
              QStringLiteral("Aufruf: quorel-panel [Optionen] [key=value ...]"));
    // English first: English, even with a catalog for the second language.
    EXPECT_EQ(helpWith({QStringLiteral("LANG=en_US.UTF-8"), QStringLiteral("LANGUAGE=en_US:de")}),
              QStringLiteral("Usage: quorel-panel [options] [key=value ...]"));
    // LC_ALL over LANG.
    EXPECT_EQ(helpWith({QStringLiteral("LANG=zh_CN.UTF-8"), QStringLiteral("LC_ALL=de_DE.UTF-8")}),
              QStringLiteral("Aufruf: quorel-panel [Optionen] [key=value ...]"));
    EXPECT_EQ(helpWith({QStringLiteral("LANG=C")}), QStringLiteral("Usage: quorel-panel [options] [key=value ...]"));
}

// The text report is for the user; the JSON goes into bug reports and
// scripts, so it reads the same whatever the user's language. Whether each
// check passes depends on the machine; the titles do not.
TEST(Translations, TheDoctorsTextIsTranslatedAndItsJsonIsNot)
{
    const QStringList german{QStringLiteral("LANG=de_DE.UTF-8")};
    const Output text = runWith(german, {QStringLiteral("--doctor")});
    ASSERT_TRUE(text.finished);
    EXPECT_TRUE(text.out.contains(QStringLiteral("Sitzungsbus: "))) << qPrintable(text.out);
    EXPECT_TRUE(text.out.contains(QStringLiteral("Sound-Server: "))) << qPrintable(text.out);
    EXPECT_TRUE(text.out.contains(QStringLiteral("Alle Prüfungen bestanden."))
                || text.out.contains(QStringLiteral("Prüfungen fehlgeschlagen.")))
        << qPrintable(text.out);

    const Output json = runWith(german, {QStringLiteral("--doctor"), QStringLiteral("--json")});
    ASSERT_TRUE(json.finished);
    const QJsonArray checks =
        QJsonDocument::fromJson(json.out.toUtf8()).object().value(QStringLiteral("checks")).toArray();
    QMap<QString, QString> titles;
    for (const QJsonValue& value : checks)
        titles.insert(value[QStringLiteral("id")].toString(), value[QStringLiteral("title")].toString());
    EXPECT_EQ(titles.value(QStringLiteral("session.bus")), QStringLiteral("Session bus")) << qPrintable(json.out);
    EXPECT_EQ(titles.value(QStringLiteral("sound.server")), QStringLiteral("Sound server")) << qPrintable(json.out);
    EXPECT_EQ(titles.value(QStringLiteral("gstreamer.playbin")),
              QStringLiteral("GStreamer element playbin (plays files back)"))
        << qPrintable(json.out);
}

} // namespace
