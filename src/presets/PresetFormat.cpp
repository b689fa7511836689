#include "presets/PresetFormat.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <utility>

namespace {

using Line = std::pair<QString, QString>; // key, value

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

// Text lines without comments and blanks, each with its 1-based number;
// every line as it stands in *raw. Nothing when the bytes are not UTF-8
// text.
std::optional<QList<std::pair<int, QString>>> textLines(const QByteArray& bytes, QStringList* raw = nullptr)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError())
        return std::nullopt;
    QList<std::pair<int, QString>> lines;
    int number = 0;
    const QStringList all = text.split(QLatin1Char('\n'));
    for (const QString& line : all) {
        ++number;
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#')))
            lines.append({number, trimmed});
    }
    if (raw)
        *raw = all;
    return lines;
}

std::optional<Line> splitLine(const QString& line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return std::nullopt;
    return Line{line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
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

// The "format" and "version" lines that open a file; *next is the index
// of the first line after them.
bool readHeader(const QList<std::pair<int, QString>>& lines, const QString& format, const QString& what,
                qsizetype* next, QString* why)
{
    const std::optional<Line> first = lines.isEmpty() ? std::nullopt : splitLine(lines[0].second);
    if (!first || first->first != QLatin1String("format") || first->second != format) {
        *why = QCoreApplication::translate("PresetFormat",
                                           "it is not %1 (wrong type: the first line must be \"format=%2\")")
                   .arg(what, format);
        return false;
    }
    const std::optional<Line> second = lines.size() < 2 ? std::nullopt : splitLine(lines[1].second);
    if (!second || second->first != QLatin1String("version")) {
        *why = QCoreApplication::translate("PresetFormat", "its version is missing");
        return false;
    }
    if (second->second != QString::number(PresetFormat::Version)) {
        *why = QCoreApplication::translate("PresetFormat", "its version \"%1\" is unknown; this panel reads version %2")
                   .arg(second->second)
                   .arg(PresetFormat::Version);
        return false;
    }
    *next = 2;
    return true;
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
    const auto lines = textLines(text);
    if (!lines) {
        *why = QCoreApplication::translate("PresetFormat", "it is not a preset (wrong type: not text)");
        return std::nullopt;
    }
    qsizetype index = 0;
    if (!readHeader(*lines, kPresetFormat, QCoreApplication::translate("PresetFormat", "a preset"), &index, why))
        return std::nullopt;
    Preset preset;
    QList<Line> sound;
    bool named = false;
    for (; index < lines->size(); ++index) {
        const auto& [number, line] = (*lines)[index];
        const std::optional<Line> pair = splitLine(line);
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
    QStringList raw;
    const auto lines = textLines(text, &raw);
    if (!lines) {
        *why = QCoreApplication::translate("PresetFormat", "it is not a preset store (wrong type: not text)");
        return std::nullopt;
    }
    qsizetype index = 0;
    if (!readHeader(*lines, kStoreFormat, QCoreApplication::translate("PresetFormat", "a preset store"), &index, why))
        return std::nullopt;
    // The lines numbered `first` up to the one before `end`, as they stand.
    const auto rawSection = [&raw](int first, int end) {
        int last = end - 1;
        while (last > first && raw[last - 1].trimmed().isEmpty())
            --last;
        QByteArray bytes;
        for (int number = first; number <= last; ++number)
            bytes += raw[number - 1].toUtf8() + '\n';
        return bytes;
    };
    const auto nextSectionLine = [&] {
        return index < lines->size() ? (*lines)[index].first : static_cast<int>(raw.size()) + 1;
    };

    Store store;
    // Lines before the first section belong to the header.
    for (; index < lines->size() && !(*lines)[index].second.startsWith(QLatin1Char('[')); ++index) {
        const auto& [number, line] = (*lines)[index];
        const std::optional<Line> pair = splitLine(line);
        if (pair && pair->first == QLatin1String("active")) {
            store.active = pair->second;
        } else {
            store.damaged << QCoreApplication::translate(
                                 "PresetFormat", "line %1 before the first preset is not understood; it is kept as it is")
                                 .arg(number);
            store.unread.headerLines += raw[number - 1].toUtf8() + '\n';
        }
    }
    while (index < lines->size()) {
        const auto& [number, header] = (*lines)[index++];
        const QString name = header.endsWith(QLatin1Char(']')) ? header.mid(1, header.size() - 2) : QString();
        QList<Line> sound;
        QString damage;
        for (; index < lines->size() && !(*lines)[index].second.startsWith(QLatin1Char('[')); ++index) {
            const std::optional<Line> pair = splitLine((*lines)[index].second);
            if (pair)
                sound.append(*pair);
            else if (damage.isEmpty())
                damage = QCoreApplication::translate("PresetFormat", "line %1 is not key=value")
                             .arg((*lines)[index].first);
        }
        const QByteArray section = rawSection(number, nextSectionLine());
        const QString label = name.isEmpty()
                                  ? QCoreApplication::translate("PresetFormat", "the preset at line %1").arg(number)
                                  : QCoreApplication::translate("PresetFormat", "the preset \"%1\" (line %2)")
                                        .arg(name)
                                        .arg(number);
        QString nameWhy;
        if (damage.isEmpty() && !validName(name, &nameWhy))
            damage = nameWhy;
        std::optional<PresetSound> read;
        if (damage.isEmpty())
            read = readSound(sound, &damage);
        const bool taken = std::any_of(store.presets.cbegin(), store.presets.cend(),
                                       [&](const Preset& p) { return p.name == name; });
        if (read && taken)
            damage = QCoreApplication::translate("PresetFormat", "its name is taken by an earlier preset");
        if (!damage.isEmpty()) {
            store.damaged << QCoreApplication::translate("PresetFormat",
                                                         "%1 is damaged (%2): it is left out and kept in the file")
                                 .arg(label, damage);
            store.unread.sections << section;
            continue;
        }
        store.presets.append(Preset{name, *read, false});
        store.sections << section;
    }
    return store;
}
