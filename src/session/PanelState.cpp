#include "session/PanelState.h"

#include "model/PanelModel.h"
#include <QCoreApplication>

namespace {

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
    for (const SettingRow& row : settingRows()) {
        const int v = value(row.setting);
        p.insert(QLatin1String(row.property), row.isSwitch ? QVariant(v != 0) : QVariant(v));
    }
    p.insert(QStringLiteral("TransportState"), transport);
    p.insert(QStringLiteral("Presets"), presets);
    p.insert(QStringLiteral("ActivePreset"), activePreset);
    p.insert(QStringLiteral("PresetModified"), presetModified);
    p.insert(QStringLiteral("ActiveScene"), activeScene);
    return p;
}

PanelState PanelState::fromProperties(const QVariantMap& p)
{
    PanelState s;
    s.linked = p.value(QStringLiteral("Linked")).toBool();
    s.devicePresent = p.value(QStringLiteral("DevicePresent")).toBool();
    s.notResponding = p.value(QStringLiteral("NotResponding")).toBool();
    s.soundServerAnswering = p.value(QStringLiteral("SoundServerAnswering"), true).toBool();
    for (const SettingRow& row : settingRows()) {
        const QVariant v = p.value(QLatin1String(row.property));
        s.setValue(row.setting, row.isSwitch ? int(v.toBool()) : v.toInt());
    }
    s.transport = p.value(QStringLiteral("TransportState"), QStringLiteral("idle")).toString();
    s.presets = p.value(QStringLiteral("Presets")).toStringList();
    s.activePreset = p.value(QStringLiteral("ActivePreset")).toString();
    s.presetModified = p.value(QStringLiteral("PresetModified")).toBool();
    s.activeScene = p.value(QStringLiteral("ActiveScene")).toString();
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
    // Reverb as the settings keep it, without the control's fraction.
    for (const SettingRow& row : settingRows())
        s.setValue(row.setting, static_cast<int>(settings.value(row.setting)));
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
    for (const SettingRow& row : settingRows()) {
        const int v = value(row.setting);
        lines << QLatin1String(row.name) + QLatin1Char('=') + (row.isSwitch ? onOff(v != 0) : QString::number(v));
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

std::optional<int> parseSettingValue(const SettingRow& row, QStringView text, QString* why)
{
    const QString value = text.trimmed().toString().toLower();
    if (row.isSwitch) {
        static const QStringList on{QStringLiteral("on"), QStringLiteral("yes"), QStringLiteral("true"),
                                    QStringLiteral("1")};
        static const QStringList off{QStringLiteral("off"), QStringLiteral("no"), QStringLiteral("false"),
                                     QStringLiteral("0")};
        if (on.contains(value))
            return 1;
        if (off.contains(value))
            return 0;
        *why = QCoreApplication::translate("CommandLine", "%1 is a switch: give on or off, not \"%2\"").arg(QLatin1String(row.name), text);
        return std::nullopt;
    }
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    if (!ok) {
        *why = QCoreApplication::translate("CommandLine", "%1 takes a whole number from %2 to %3, not \"%4\"")
                   .arg(QLatin1String(row.name))
                   .arg(row.min)
                   .arg(row.max)
                   .arg(text);
        return std::nullopt;
    }
    if (!settingInRange(row, number, why))
        return std::nullopt;
    return number;
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
