#include "presets/PresetFormat.h"

#include "presets/StoreText.h"

#include <QCoreApplication>

#include <utility>

namespace {

using StoreText::Line;

const QString kPresetFormat = QStringLiteral("quorel-preset");
const QString kStoreFormat = QStringLiteral("quorel-presets");

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QByteArray soundLines(const PresetSound& sound)
{
    QString text;
    for (const SettingRow& row : settingRows()) {
        if (!row.inSound)
            continue;
        const int value = sound.value(row.setting);
        text += QLatin1String(row.name) + QLatin1Char('=')
            + (row.isSwitch ? onOff(value != 0) : QString::number(value)) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

std::optional<int> readSwitch(const QString& key, const QString& value, QString* why)
{
    if (value == QLatin1String("on"))
        return 1;
    if (value == QLatin1String("off"))
        return 0;
    *why = QCoreApplication::translate("PresetFormat", "%1 takes on or off, not \"%2\"").arg(key, value);
    return std::nullopt;
}

std::optional<int> readNumber(const QString& key, const QString& value, int min, int max, QString* why)
{
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    if (!ok) {
        *why = QCoreApplication::translate("PresetFormat", "%1 takes a whole number from %2 to %3, not \"%4\"")
                   .arg(key).arg(min).arg(max).arg(value);
        return std::nullopt;
    }
    if (number < min || number > max) {
        *why = QCoreApplication::translate("PresetFormat", "%1 is %2, out of its range %3 to %4")
                   .arg(key).arg(number).arg(min).arg(max);
        return std::nullopt;
    }
    return number;
}

// The sound from exactly its keys, each once.
std::optional<PresetSound> readSound(const QList<Line>& lines, QString* why)
{
    PresetSound sound;
    QStringList seen;
    for (const auto& [key, value] : lines) {
        if (seen.contains(key)) {
            *why = QCoreApplication::translate("PresetFormat", "%1 is given twice").arg(key);
            return std::nullopt;
        }
        seen << key;
        const SettingRow* row = findSettingRow(key);
        // Keys are written in lower case and read as written.
        if (!row || !row->inSound || key != QLatin1String(row->name)) {
            *why = QCoreApplication::translate("PresetFormat", "unknown key \"%1\"").arg(key);
            return std::nullopt;
        }
        const std::optional<int> read = row->isSwitch ? readSwitch(key, value, why)
                                                      : readNumber(key, value, row->min, row->max, why);
        if (!read)
            return std::nullopt;
        sound.setValue(row->setting, *read);
    }
    for (const SettingRow& row : settingRows()) {
        if (row.inSound && !seen.contains(QLatin1String(row.name))) {
            *why = QCoreApplication::translate("PresetFormat", "%1 is missing").arg(QLatin1String(row.name));
            return std::nullopt;
        }
    }
    return sound;
}

} // namespace

bool PresetFormat::validName(const QString& name, QString* why)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) {
        *why = QCoreApplication::translate("PresetFormat", "a preset needs a name");
        return false;
    }
    if (trimmed.size() > MaxNameLength) {
        *why = QCoreApplication::translate("PresetFormat", "a preset's name takes at most %1 characters")
                   .arg(MaxNameLength);
        return false;
    }
    for (const QChar c : trimmed) {
        if (c.category() == QChar::Other_Control) {
            *why = QCoreApplication::translate("PresetFormat", "a preset's name cannot hold control characters");
            return false;
        }
    }
    if (trimmed.startsWith(QLatin1Char('['))) {
        *why = QCoreApplication::translate("PresetFormat", "a preset's name cannot start with \"[\"");
        return false;
    }
    if (trimmed != name) {
        *why = QCoreApplication::translate("PresetFormat", "a preset's name cannot start or end with spaces");
        return false;
    }
    return true;
}

QByteArray PresetFormat::write(const Preset& preset)
{
    return QStringLiteral("# A sound for the Quorel IIS Audio, for quorel-panel\nformat=%1\nversion=%2\nname=%3\n")
               .arg(kPresetFormat)
               .arg(Version)
               .arg(preset.name)
               .toUtf8()
           + soundLines(preset.sound);
}

std::optional<Preset> PresetFormat::read(const QByteArray& text, QString* why)
{
    const auto lines = StoreText::lines(text);
    if (!lines) {
        *why = QCoreApplication::translate("PresetFormat", "it is not a preset (wrong type: not text)");
        return std::nullopt;
    }
    qsizetype index = 0;
    if (!StoreText::readHeader(*lines, kPresetFormat, Version, QCoreApplication::translate("PresetFormat", "a preset"),
                               &index, why))
        return std::nullopt;
    Preset preset;
    QList<Line> sound;
    bool named = false;
    for (; index < lines->size(); ++index) {
        const auto& [number, line] = (*lines)[index];
        const std::optional<Line> pair = StoreText::split(line);
        if (!pair) {
            *why = QCoreApplication::translate("PresetFormat", "line %1 is not key=value").arg(number);
            return std::nullopt;
        }
        if (pair->first == QLatin1String("name")) {
            if (named) {
                *why = QCoreApplication::translate("PresetFormat", "name is given twice");
                return std::nullopt;
            }
            named = true;
            preset.name = pair->second;
        } else {
            sound.append(*pair);
        }
    }
    QString nameWhy;
    if (!named || !validName(preset.name, &nameWhy)) {
        *why = named ? nameWhy : QCoreApplication::translate("PresetFormat", "name is missing");
        return std::nullopt;
    }
    const std::optional<PresetSound> read = readSound(sound, why);
    if (!read)
        return std::nullopt;
    preset.sound = *read;
    return preset;
}

QByteArray PresetFormat::writeStore(const QList<Preset>& presets, const QString& active, const Unread& unread)
{
    QByteArray text = QStringLiteral("# quorel-panel's own presets; edit with care\nformat=%1\nversion=%2\nactive=%3\n")
                          .arg(kStoreFormat)
                          .arg(Version)
                          .arg(active)
                          .toUtf8()
                      + unread.headerLines;
    for (const Preset& preset : presets)
        text += "\n[" + preset.name.toUtf8() + "]\n" + soundLines(preset.sound);
    for (const QByteArray& section : unread.sections)
        text += '\n' + section;
    return text;
}

std::optional<PresetFormat::Store> PresetFormat::readStore(const QByteArray& text, QString* why)
{
    const std::optional<StoreText::Sectioned> read = StoreText::read(
        text, kStoreFormat, Version, QCoreApplication::translate("PresetFormat", "a preset store"), why);
    if (!read)
        return std::nullopt;
    Store store;
    for (const auto& [number, line] : read->header) {
        const std::optional<Line> pair = StoreText::split(line);
        if (pair && pair->first == QLatin1String("active")) {
            store.active = pair->second;
        } else {
            store.damaged << QCoreApplication::translate(
                                 "PresetFormat", "line %1 before the first preset is not understood; it is kept as it is")
                                 .arg(number);
            store.unread.headerLines += read->rawLine(number);
        }
    }
    for (const StoreText::Section& section : read->sections) {
        const QString& name = section.name;
        QString damage = section.damage;
        const QString label = name.isEmpty()
                                  ? QCoreApplication::translate("PresetFormat", "the preset at line %1").arg(section.number)
                                  : QCoreApplication::translate("PresetFormat", "the preset \"%1\" (line %2)")
                                        .arg(name)
                                        .arg(section.number);
        QString nameWhy;
        if (damage.isEmpty() && !validName(name, &nameWhy))
            damage = nameWhy;
        std::optional<PresetSound> sound;
        if (damage.isEmpty())
            sound = readSound(section.pairs, &damage);
        const bool taken = std::any_of(store.presets.cbegin(), store.presets.cend(),
                                       [&](const Preset& p) { return p.name == name; });
        if (sound && taken)
            damage = QCoreApplication::translate("PresetFormat", "its name is taken by an earlier preset");
        if (!damage.isEmpty()) {
            store.damaged << QCoreApplication::translate("PresetFormat",
                                                         "%1 is damaged (%2): it is left out and kept in the file")
                                 .arg(label, damage);
            store.unread.sections << section.raw;
            continue;
        }
        store.presets.append(Preset{name, *sound, false});
        store.sections << section.raw;
    }
    return store;
}
