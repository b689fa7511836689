// What the command line asks for, without a panel to ask: the values a
// script may give, the mistakes it may make and the status it reads.
#include "session/CommandLine.h"

#include <gtest/gtest.h>

namespace {

CommandLineRequest parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("quorel-panel"));
    return parseCommandLine(arguments);
}

TEST(CommandLineTest, NoOptionsRunsThePanelAndHiddenRunsItInTheBackground)
{
    EXPECT_EQ(parse({}).mode, CommandLineRequest::Mode::Panel);
    EXPECT_FALSE(parse({}).hidden);
    const CommandLineRequest hidden = parse({QStringLiteral("--hidden")});
    EXPECT_EQ(hidden.mode, CommandLineRequest::Mode::Panel);
    EXPECT_TRUE(hidden.hidden);
}

TEST(CommandLineTest, SetsTogglesAndStatusAreOneClientRequestInTheirOrder)
{
    const CommandLineRequest r =
        parse({QStringLiteral("--set"), QStringLiteral("denoise=on"), QStringLiteral("stage3=-4"),
               QStringLiteral("Speaker=100"), QStringLiteral("mixer=off"), QStringLiteral("--toggle"),
               QStringLiteral("monitor"), QStringLiteral("--status")});
    ASSERT_EQ(r.mode, CommandLineRequest::Mode::Client);
    const std::vector<std::pair<PanelSetting, int>> sets{{PanelSetting::Denoise, 1},
                                                         {PanelSetting::Stage3, -4},
                                                         {PanelSetting::Speaker, 100},
                                                         {PanelSetting::Mixer, 0}};
    EXPECT_EQ(r.sets, sets);
    EXPECT_EQ(r.toggles, std::vector<PanelSetting>{PanelSetting::Monitor});
    EXPECT_TRUE(r.status);
}

TEST(CommandLineTest, PresetOptionsAreAClientRequestAndKeepTheirNamesAsTyped)
{
    const CommandLineRequest r = parse({QStringLiteral("--preset"), QStringLiteral("Late night"), QStringLiteral("--set"),
                                        QStringLiteral("reverb=10"), QStringLiteral("--save-preset=Late night 2"),
                                        QStringLiteral("--presets")});
    ASSERT_EQ(r.mode, CommandLineRequest::Mode::Client);
    EXPECT_EQ(r.applyPreset, QStringLiteral("Late night"));
    EXPECT_EQ(r.savePreset, QStringLiteral("Late night 2"));
    EXPECT_TRUE(r.listPresets);
    EXPECT_FALSE(r.status);
    EXPECT_EQ(parse({QStringLiteral("--presets")}).mode, CommandLineRequest::Mode::Client);
    EXPECT_FALSE(parse({QStringLiteral("--status")}).applyPreset.has_value());
}

TEST(CommandLineTest, MistakesAreUsageErrorsNamingTheFault)
{
    struct Case {
        QStringList arguments;
        QString says;
    };
    const std::vector<Case> cases{
        {{QStringLiteral("--set"), QStringLiteral("volume=3")}, QStringLiteral("unknown key \"volume\"")},
        {{QStringLiteral("--set"), QStringLiteral("stage3=16")}, QStringLiteral("stage3 takes -15 to 15; 16 is out of range")},
        {{QStringLiteral("--set"), QStringLiteral("speaker=-1")}, QStringLiteral("out of range")},
        {{QStringLiteral("--set"), QStringLiteral("reverb=lots")}, QStringLiteral("whole number")},
        {{QStringLiteral("--set"), QStringLiteral("stage1=2.5")}, QStringLiteral("whole number")},
        {{QStringLiteral("--set"), QStringLiteral("denoise=maybe")}, QStringLiteral("give on or off")},
        {{QStringLiteral("--set"), QStringLiteral("denoise")}, QStringLiteral("is not key=value")},
        {{QStringLiteral("--set")}, QStringLiteral("at least one")},
        {{QStringLiteral("denoise=on")}, QStringLiteral("after --set")},
        {{QStringLiteral("--toggle"), QStringLiteral("stage1")}, QStringLiteral("monitor, denoise or mixer")},
        {{QStringLiteral("--status"), QStringLiteral("--hidden")}, QStringLiteral("--hidden starts the panel")},
        {{QStringLiteral("--colour")}, QStringLiteral("colour")},
        {{QStringLiteral("--save-preset"), QStringLiteral(" ")}, QStringLiteral("--save-preset needs a name")},
        {{QStringLiteral("--preset")}, QStringLiteral("Missing value after '--preset'")},
        {{QStringLiteral("--presets"), QStringLiteral("--hidden")}, QStringLiteral("--hidden starts the panel")},
    };
    for (const Case& c : cases) {
        const CommandLineRequest r = parse(c.arguments);
        EXPECT_EQ(r.mode, CommandLineRequest::Mode::Exit) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(r.exitCode, ExitCode::Usage) << qPrintable(c.arguments.join(' '));
        EXPECT_TRUE(r.text.contains(c.says)) << qPrintable(r.text);
    }
}

TEST(CommandLineTest, DoctorIsARequestOfItsOwnAndJsonGoesOnlyWithIt)
{
    const CommandLineRequest text = parse({QStringLiteral("--doctor")});
    EXPECT_EQ(text.mode, CommandLineRequest::Mode::Doctor);
    EXPECT_FALSE(text.json);
    const CommandLineRequest json = parse({QStringLiteral("--json"), QStringLiteral("--doctor")});
    EXPECT_EQ(json.mode, CommandLineRequest::Mode::Doctor);
    EXPECT_TRUE(json.json);

    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--json")}, QStringList{QStringLiteral("--json"), QStringLiteral("--status")},
          QStringList{QStringLiteral("--doctor"), QStringLiteral("--status")},
          QStringList{QStringLiteral("--doctor"), QStringLiteral("--hidden")},
          QStringList{QStringLiteral("--doctor"), QStringLiteral("--set"), QStringLiteral("denoise=on")}}) {
        const CommandLineRequest r = parse(arguments);
        EXPECT_EQ(r.mode, CommandLineRequest::Mode::Exit) << qPrintable(arguments.join(' '));
        EXPECT_EQ(r.exitCode, ExitCode::Usage) << qPrintable(arguments.join(' '));
    }
    EXPECT_TRUE(parse({QStringLiteral("--help")}).text.contains(QStringLiteral("--doctor")));
}

TEST(CommandLineTest, HelpListsTheCommandsAndTheKeys)
{
    const CommandLineRequest r = parse({QStringLiteral("--help")});
    EXPECT_EQ(r.mode, CommandLineRequest::Mode::Exit);
    EXPECT_EQ(r.exitCode, ExitCode::Success);
    for (const char* text : {"quorel-panel [options]", "--status", "--set", "--toggle <key>", "--hidden",
                             "stage1 .. stage5 (-15 to 15)"})
        EXPECT_TRUE(r.text.contains(QLatin1String(text))) << text;
}

// Every row of the settings table, as a script meets it: both ends are
// taken as typed and one past either end is refused, naming the key; the
// value reaches the bus under the row's property with its type and comes
// back the same, and the status prints it under the row's name.
TEST(CommandLineTest, EverySettingIsTypedReadAndShownByItsRow)
{
    for (const SettingRow& row : settingRows()) {
        SCOPED_TRACE(row.name);
        const auto typed = [&](int value) {
            const QString text = row.isSwitch ? QString::fromLatin1(value ? "on" : "off") : QString::number(value);
            return parse({QStringLiteral("--set"), QLatin1String(row.name) + QLatin1Char('=') + text});
        };
        for (const int end : {row.min, row.max}) {
            const CommandLineRequest r = typed(end);
            ASSERT_EQ(r.mode, CommandLineRequest::Mode::Client) << qPrintable(r.text);
            EXPECT_EQ(r.sets, (std::vector<std::pair<PanelSetting, int>>{{row.setting, end}}));

            PanelState state;
            state.setValue(row.setting, end);
            const QVariant property = state.properties().value(QLatin1String(row.property));
            EXPECT_EQ(property.typeId(), row.isSwitch ? QMetaType::Bool : QMetaType::Int);
            EXPECT_EQ(PanelState::fromProperties(state.properties()).value(row.setting), end);
            const QString shown = row.isSwitch ? QString::fromLatin1(end ? "on" : "off") : QString::number(end);
            EXPECT_TRUE(state.statusLines().contains(QLatin1String(row.name) + QLatin1Char('=') + shown));
        }
        if (!row.isSwitch) {
            for (const int past : {row.min - 1, row.max + 1}) {
                const CommandLineRequest r = typed(past);
                EXPECT_EQ(r.exitCode, ExitCode::Usage);
                EXPECT_TRUE(r.text.contains(QLatin1String(row.name))) << qPrintable(r.text);
            }
        }
    }
}

TEST(CommandLineTest, StatusLinesRoundTripThroughTheBusProperties)
{
    PanelState s;
    s.linked = true;
    s.devicePresent = true;
    s.soundServerAnswering = false;
    s.values = {37, 0, 0, 1, 5, -3, 0, 12, -15, 57, 1};
    s.transport = transportStateName(4);
    s.presets = QStringList{QStringLiteral("Flat"), QStringLiteral("Voice"), QStringLiteral("Mine")};
    s.activePreset = QStringLiteral("Voice");
    s.presetModified = true;
    EXPECT_EQ(PanelState::fromProperties(s.properties()), s);
    EXPECT_EQ(s.presetLines(), (QStringList{QStringLiteral("  Flat"), QStringLiteral("* Voice (modified)"),
                                            QStringLiteral("  Mine")}));
    EXPECT_EQ(s.statusLines().join(QLatin1Char(' ')),
              QStringLiteral("linked=yes present=yes responding=yes sound-server=no speaker=37 mic=0 monitor=off denoise=on "
                             "stage1=5 stage2=-3 stage3=0 stage4=12 stage5=-15 reverb=57 mixer=on "
                             "transport=recording-paused"));
}

} // namespace
