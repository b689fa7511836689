#include "session/PanelState.h"

#include "model/PanelModel.h"
#include <QCoreApplication>

namespace {

// One row a setting, in the order the status lists them.
constexpr std::array kKeys{
    PanelKey{PanelSetting::Speaker, "speaker", "Speaker", false, 0, 100},
    PanelKey{PanelSetting::Mic, "mic", "Mic", false, 0, 100},
    PanelKey{PanelSetting::Monitor, "monitor", "Monitor", true, 0, 1},
    PanelKey{PanelSetting::Denoise, "denoise", "Denoise", true, 0, 1},
    PanelKey{PanelSetting::Stage1, "stage1", "Stage1", false, -15, 15},
    PanelKey{PanelSetting::Stage2, "stage2", "Stage2", false, -15, 15},
    PanelKey{PanelSetting::Stage3, "stage3", "Stage3", false, -15, 15},
    PanelKey{PanelSetting::Stage4, "stage4", "Stage4", false, -15, 15},
    PanelKey{PanelSetting::Stage5, "stage5", "Stage5", false, -15, 15},
    PanelKey{PanelSetting::Reverb, "reverb", "Reverb", false, 0, 100},
    PanelKey{PanelSetting::Mixer, "mixer", "Mixer", true, 0, 1},
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

int PanelState::value(PanelSetting setting) const
{
    switch (setting) {
    case PanelSetting::Speaker: return speaker;
    case PanelSetting::Mic: return mic;
    case PanelSetting::Monitor: return monitor;
    case PanelSetting::Denoise: return denoise;
    case PanelSetting::Reverb: return reverb;
    case PanelSetting::Mixer: return mixer;
    default: return stages[static_cast<std::size_t>(static_cast<int>(setting) - static_cast<int>(PanelSetting::Stage1))];
    }
}

void PanelState::setValue(PanelSetting setting, int value)
{
    switch (setting) {
    case PanelSetting::Speaker: speaker = value; break;
    case PanelSetting::Mic: mic = value; break;
    case PanelSetting::Monitor: monitor = value != 0; break;
    case PanelSetting::Denoise: denoise = value != 0; break;
    case PanelSetting::Reverb: reverb = value; break;
    case PanelSetting::Mixer: mixer = value != 0; break;
    default:
        stages[static_cast<std::size_t>(static_cast<int>(setting) - static_cast<int>(PanelSetting::Stage1))] = value;
        break;
    }
}

QVariantMap PanelState::properties() const
{
    QVariantMap p;
    p.insert(QStringLiteral("Linked"), linked);
    p.insert(QStringLiteral("DevicePresent"), devicePresent);
    p.insert(QStringLiteral("NotResponding"), notResponding);
    p.insert(QStringLiteral("SoundServerAnswering"), soundServerAnswering);
    for (const PanelKey& key : kKeys) {
        const int v = value(key.setting);
        p.insert(QLatin1String(key.property), key.isSwitch ? QVariant(v != 0) : QVariant(v));
    }
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
    for (const PanelKey& key : kKeys) {
        const QVariant v = p.value(QLatin1String(key.property));
        s.setValue(key.setting, key.isSwitch ? int(v.toBool()) : v.toInt());
    }
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
    };
    for (const PanelKey& key : kKeys) {
        const int v = value(key.setting);
        lines << QLatin1String(key.name) + QLatin1Char('=') + (key.isSwitch ? onOff(v != 0) : QString::number(v));
    }
    lines << QStringLiteral("transport=") + transport;
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
