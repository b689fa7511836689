#include "presets/StoreText.h"

#include <QCoreApplication>
#include <QStringDecoder>

// The texts keep the presets' translation context: the presets' store was
// the first written in this form, and its translations stand.

std::optional<QList<StoreText::NumberedLine>> StoreText::lines(const QByteArray& bytes, QStringList* raw)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError())
        return std::nullopt;
    QList<NumberedLine> lines;
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

std::optional<StoreText::Line> StoreText::split(const QString& line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return std::nullopt;
    return Line{line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
}

bool StoreText::readHeader(const QList<NumberedLine>& lines, const QString& format, int version, const QString& what,
                           qsizetype* next, QString* why)
{
    const std::optional<Line> first = lines.isEmpty() ? std::nullopt : split(lines[0].second);
    if (!first || first->first != QLatin1String("format") || first->second != format) {
        *why = QCoreApplication::translate("PresetFormat",
                                           "it is not %1 (wrong type: the first line must be \"format=%2\")")
                   .arg(what, format);
        return false;
    }
    const std::optional<Line> second = lines.size() < 2 ? std::nullopt : split(lines[1].second);
    if (!second || second->first != QLatin1String("version")) {
        *why = QCoreApplication::translate("PresetFormat", "its version is missing");
        return false;
    }
    if (second->second != QString::number(version)) {
        *why = QCoreApplication::translate("PresetFormat", "its version \"%1\" is unknown; this panel reads version %2")
                   .arg(second->second)
                   .arg(version);
        return false;
    }
    *next = 2;
    return true;
}

std::optional<StoreText::Sectioned> StoreText::read(const QByteArray& bytes, const QString& format, int version,
                                                     const QString& what, QString* why)
{
    Sectioned text;
    const auto numbered = lines(bytes, &text.rawLines);
    if (!numbered) {
        *why = QCoreApplication::translate("PresetFormat", "it is not %1 (wrong type: not text)").arg(what);
        return std::nullopt;
    }
    qsizetype index = 0;
    if (!readHeader(*numbered, format, version, what, &index, why))
        return std::nullopt;
    const auto isSection = [&](qsizetype i) { return (*numbered)[i].second.startsWith(QLatin1Char('[')); };
    for (; index < numbered->size() && !isSection(index); ++index)
        text.header << (*numbered)[index];
    const auto& raw = text.rawLines;
    while (index < numbered->size()) {
        const auto& [number, header] = (*numbered)[index++];
        Section section;
        section.number = number;
        if (header.endsWith(QLatin1Char(']')))
            section.name = header.mid(1, header.size() - 2);
        for (; index < numbered->size() && !isSection(index); ++index) {
            const std::optional<Line> pair = split((*numbered)[index].second);
            if (pair)
                section.pairs.append(*pair);
            else if (section.damage.isEmpty())
                section.damage = QCoreApplication::translate("PresetFormat", "line %1 is not key=value")
                                     .arg((*numbered)[index].first);
        }
        const int end = index < numbered->size() ? (*numbered)[index].first : static_cast<int>(raw.size()) + 1;
        int last = end - 1;
        while (last > number && raw[last - 1].trimmed().isEmpty())
            --last;
        for (int n = number; n <= last; ++n)
            section.raw += raw[n - 1].toUtf8() + '\n';
        text.sections.append(section);
    }
    return text;
}

QByteArray StoreText::section(const QString& name, const QList<Line>& pairs)
{
    QString text = QLatin1Char('[') + name + QStringLiteral("]\n");
    for (const auto& [key, value] : pairs)
        text += key + QLatin1Char('=') + value + QLatin1Char('\n');
    return text.toUtf8();
}
