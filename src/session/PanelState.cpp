#include "session/PanelState.h"

#include "model/PanelModel.h"
#include <QCoreApplication>

namespace {

constexpr std::array kKeys{
    PanelKey{PanelSetting::Speaker, "speaker", false, 0, 100},
    PanelKey{PanelSetting::Mic, "mic", false, 0, 100},
    PanelKey{PanelSetting::Monitor, "monitor", true, 0, 1},
    PanelKey{PanelSetting::Denoise, "denoise", true, 0, 1},
    PanelKey{PanelSetting::Stage1, "stage1", false, -15, 15},
    PanelKey{PanelSetting::Stage2, "stage2", false, -15, 15},
    PanelKey{PanelSetting::Stage3, "stage3", false, -15, 15},
    PanelKey{PanelSetting::Stage4, "stage4", false, -15, 15},
    PanelKey{PanelSetting::Stage5, "stage5", false, -15, 15},
    PanelKey{PanelSetting::Reverb, "reverb", false, 0, 100},
    PanelKey{PanelSetting::Mixer, "mixer", true, 0, 1},
};

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString yesNo(bool yes)
{
    return yes ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

QVariantMap PanelState::properties() const
{
    QVariantMap p;
    p.insert(QStringLiteral("Linked"), linked);
    p.insert(QStringLiteral("DevicePresent"), devicePresent);
    p.insert(QStringLiteral("NotResponding"), notResponding);
    p.insert(QStringLiteral("SoundServerAnswering"), soundServerAnswering);
    p.insert(QStringLiteral("Speaker"), speaker);
    p.insert(QStringLiteral("Mic"), mic);
    p.insert(QStringLiteral("Monitor"), monitor);
    p.insert(QStringLiteral("Denoise"), denoise);
    for (int n = 1; n <= 5; ++n)
        p.insert(QStringLiteral("Stage%1").arg(n), stages[n - 1]);
    p.insert(QStringLiteral("Reverb"), reverb);
    p.insert(QStringLiteral("Mixer"), mixer);
    p.insert(QStringLiteral("TransportState"), transport);
    p.insert(QStringLiteral("Presets"), presets);
    p.insert(QStringLiteral("ActivePreset"), activePreset);
    p.insert(QStringLiteral("PresetModified"), presetModified);
    return p;
}

PanelState PanelState::fromProperties(const QVariantMap& p)
{
    PanelState s;
    s.linked = p.value(QStringLiteral("Linked")).toBool();
    s.devicePresent = p.value(QStringLiteral("DevicePresent")).toBool();
    s.notResponding = p.value(QStringLiteral("NotResponding")).toBool();
    s.soundServerAnswering = p.value(QStringLiteral("SoundServerAnswering"), true).toBool();
    s.speaker = p.value(QStringLiteral("Speaker")).toInt();
    s.mic = p.value(QStringLiteral("Mic")).toInt();
    s.monitor = p.value(QStringLiteral("Monitor")).toBool();
    s.denoise = p.value(QStringLiteral("Denoise")).toBool();
    for (int n = 1; n <= 5; ++n)
        s.stages[n - 1] = p.value(QStringLiteral("Stage%1").arg(n)).toInt();
    s.reverb = p.value(QStringLiteral("Reverb")).toInt();
    s.mixer = p.value(QStringLiteral("Mixer")).toBool();
    s.transport = p.value(QStringLiteral("TransportState"), QStringLiteral("idle")).toString();
    s.presets = p.value(QStringLiteral("Presets")).toStringList();
    s.activePreset = p.value(QStringLiteral("ActivePreset")).toString();
    s.presetModified = p.value(QStringLiteral("PresetModified")).toBool();
    return s;
}

PanelState panelStateOf(const PanelModel& model)
{
    const PanelSettings& settings = model.settings();
    PanelState s;
    s.linked = model.link().linked;
    s.devicePresent = model.link().devicePresent;
    s.notResponding = !model.link().responding;
    s.soundServerAnswering = !model.faults().awaitingSoundServer && !model.faults().soundServerOutage;
    s.speaker = settings.speaker;
    s.mic = settings.mic;
    s.monitor = settings.sound.monitor;
    s.denoise = settings.sound.denoise;
    s.stages = settings.sound.stages;
    // The level the settings keep, without the control's fraction.
    s.reverb = static_cast<int>(settings.sound.reverb);
    s.mixer = settings.sound.mixer;
    s.transport = transportStateName(model.transportState());
    return s;
}

QStringList PanelState::statusLines() const
{
    QStringList lines{
        QStringLiteral("linked=") + yesNo(linked),
        QStringLiteral("present=") + yesNo(devicePresent),
        QStringLiteral("responding=") + yesNo(!notResponding),
        QStringLiteral("sound-server=") + yesNo(soundServerAnswering),
        QStringLiteral("speaker=%1").arg(speaker),
        QStringLiteral("mic=%1").arg(mic),
        QStringLiteral("monitor=") + onOff(monitor),
        QStringLiteral("denoise=") + onOff(denoise),
    };
    for (int n = 1; n <= 5; ++n)
        lines << QStringLiteral("stage%1=%2").arg(n).arg(stages[n - 1]);
    lines << QStringLiteral("reverb=%1").arg(reverb) << QStringLiteral("mixer=") + onOff(mixer)
          << QStringLiteral("transport=") + transport;
    return lines;
}

QStringList PanelState::presetLines() const
{
    QStringList lines;
    for (const QString& name : presets) {
        if (name != activePreset)
            lines << QStringLiteral("  ") + name;
        else
            lines << QStringLiteral("* ") + name + (presetModified ? QStringLiteral(" (modified)") : QString());
    }
    return lines;
}

const PanelKey* findPanelKey(QStringView name)
{
    for (const PanelKey& key : kKeys) {
        if (name.compare(QLatin1String(key.name), Qt::CaseInsensitive) == 0)
            return &key;
    }
    return nullptr;
}

const PanelKey& panelKey(PanelSetting setting)
{
    return kKeys[static_cast<std::size_t>(setting)];
}

QStringList panelKeyNames()
{
    QStringList names;
    for (const PanelKey& key : kKeys)
        names << QLatin1String(key.name);
    return names;
}

std::optional<int> parsePanelValue(const PanelKey& key, QStringView text, QString* why)
{
    const QString value = text.trimmed().toString().toLower();
    if (key.isSwitch) {
        static const QStringList on{QStringLiteral("on"), QStringLiteral("yes"), QStringLiteral("true"),
                                    QStringLiteral("1")};
        static const QStringList off{QStringLiteral("off"), QStringLiteral("no"), QStringLiteral("false"),
                                     QStringLiteral("0")};
        if (on.contains(value))
            return 1;
        if (off.contains(value))
            return 0;
        *why = QCoreApplication::translate("CommandLine", "%1 is a switch: give on or off, not \"%2\"").arg(QLatin1String(key.name), text);
        return std::nullopt;
    }
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    if (!ok) {
        *why = QCoreApplication::translate("CommandLine", "%1 takes a whole number from %2 to %3, not \"%4\"")
                   .arg(QLatin1String(key.name))
                   .arg(key.min)
                   .arg(key.max)
                   .arg(text);
        return std::nullopt;
    }
    if (!panelValueInRange(key, number, why))
        return std::nullopt;
    return number;
}

bool panelValueInRange(const PanelKey& key, int value, QString* why)
{
    if (value >= key.min && value <= key.max)
        return true;
    *why = QCoreApplication::translate("CommandLine", "%1 takes %2 to %3; %4 is out of range")
               .arg(QLatin1String(key.name))
               .arg(key.min)
               .arg(key.max)
               .arg(value);
    return false;
}

QString transportStateName(qint64 actionStatus)
{
    switch (actionStatus) {
    case 1:
        return QStringLiteral("playing");
    case 2:
        return QStringLiteral("playback-paused");
    case 3:
        return QStringLiteral("recording");
    case 4:
        return QStringLiteral("recording-paused");
    default:
        return QStringLiteral("idle");
    }
}
