// The command line as a script or a user may type it: the arguments are
// the input split at NUL bytes. Whatever is typed, the request is one the
// rest of the program can carry out as it stands.
#include "session/CommandLine.h"

#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    quietQtLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList arguments{QStringLiteral("quorel-panel")};
    for (const QByteArray& argument : QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0'))
        arguments << QString::fromUtf8(argument);
    const CommandLineRequest request = parseCommandLine(arguments);

    using Mode = CommandLineRequest::Mode;
    if (request.mode == Mode::Exit) {
        FUZZ_CHECK(!request.text.isEmpty());
        FUZZ_CHECK(request.exitCode == ExitCode::Success || request.exitCode == ExitCode::Usage);
        return 0;
    }
    FUZZ_CHECK(request.exitCode == ExitCode::Success);
    const bool asksThePanel = !request.sets.empty() || !request.toggles.empty() || request.applyPreset
                              || request.savePreset || request.listPresets || request.status;
    FUZZ_CHECK(asksThePanel == (request.mode == Mode::Client));
    FUZZ_CHECK(!request.json || request.mode == Mode::Doctor);
    FUZZ_CHECK(!request.hidden || request.mode == Mode::Panel);
    for (const auto& [setting, value] : request.sets)
        FUZZ_CHECK(settingInRange(settingRow(setting), value, nullptr));
    for (const PanelSetting setting : request.toggles)
        FUZZ_CHECK(settingRow(setting).isSwitch);
    FUZZ_CHECK(!request.savePreset || !request.savePreset->trimmed().isEmpty());
    return 0;
}
