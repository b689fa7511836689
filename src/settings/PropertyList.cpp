#include "settings/PropertyList.h"

#include <cmath>
#include <limits>

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

constexpr auto kDocType =
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">";

// Reads the value element the reader stands on. Returns nothing, with
// `error` set, when it is not a number or boolean that fits an int.
std::optional<SettingsDictionary::Value> readNumber(QXmlStreamReader& xml, QString& error)
{
    const QStringView kind = xml.name();
    if (kind == u"true" || kind == u"false") {
        const bool value = kind == u"true";
        xml.skipCurrentElement();
        return value;
    }
    if (kind == u"integer") {
        bool ok = false;
        const qlonglong value = xml.readElementText().trimmed().toLongLong(&ok);
        if (ok && value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())
            return static_cast<int>(value);
        error = QStringLiteral("an integer out of range or malformed");
        return std::nullopt;
    }
    if (kind == u"real") {
        bool ok = false;
        const double value = xml.readElementText().trimmed().toDouble(&ok);
        if (ok && std::isfinite(value) && value > std::numeric_limits<int>::min() - 1.0
            && value < std::numeric_limits<int>::max() + 1.0)
            return static_cast<int>(value);
        error = QStringLiteral("a real out of range or malformed");
        return std::nullopt;
    }
    error = QStringLiteral("a <%1> where a number belongs").arg(kind);
    xml.skipCurrentElement();
    return std::nullopt;
}

std::optional<SettingsDictionary> readDictionary(QXmlStreamReader& xml, QString& error, QStringList& dropped)
{
    if (!xml.readNextStartElement() || xml.name() != u"plist") {
        error = QStringLiteral("not a property list");
        return std::nullopt;
    }
    if (!xml.readNextStartElement() || xml.name() != u"dict") {
        error = QStringLiteral("the root is not a dictionary");
        return std::nullopt;
    }

    SettingsDictionary dictionary;
    while (xml.readNextStartElement()) {
        if (xml.name() != u"key") {
            error = QStringLiteral("a <%1> where a key belongs").arg(xml.name());
            return std::nullopt;
        }
        const QString key = xml.readElementText();
        if (!xml.readNextStartElement()) {
            error = QStringLiteral("the key \"%1\" has no value").arg(key);
            return std::nullopt;
        }
        if (!SettingsKey::all().contains(key)) {
            xml.skipCurrentElement();
            continue;
        }
        QString why;
        const auto value = readNumber(xml, why);
        if (xml.hasError())
            return std::nullopt;
        if (!value) {
            // One wrong value costs only its own key.
            dropped.append(QStringLiteral("\"%1\" holds %2").arg(key, why));
            continue;
        }
        if (std::holds_alternative<bool>(*value))
            dictionary.setBool(key, std::get<bool>(*value));
        else
            dictionary.setInteger(key, std::get<int>(*value));
    }
    if (xml.hasError())
        return std::nullopt;

    // Nothing may follow the dictionary but the end of the document.
    if (xml.readNextStartElement()) {
        error = QStringLiteral("more than one root object");
        return std::nullopt;
    }
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        return std::nullopt;
    return dictionary;
}

}

std::optional<SettingsDictionary> PropertyList::read(const QByteArray& xml, QString* error, QStringList* dropped)
{
    QXmlStreamReader reader(xml);
    QString why;
    QStringList droppedKeys;
    auto dictionary = readDictionary(reader, why, droppedKeys);
    if (dropped)
        *dropped = dictionary ? droppedKeys : QStringList();
    if (!dictionary && reader.hasError())
        why = QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
    if (error)
        *error = why;
    return dictionary;
}

QByteArray PropertyList::write(const SettingsDictionary& dictionary, bool indent)
{
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(indent);
    xml.setAutoFormattingIndent(-1);
    xml.writeStartDocument();
    if (indent)
        xml.writeDTD(QString::fromLatin1(kDocType));
    xml.writeStartElement(QStringLiteral("plist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("dict"));

    // The thirteen in their usual order, then anything else a caller added.
    QStringList keys = SettingsKey::all();
    for (const QString& key : dictionary.values().keys()) {
        if (!keys.contains(key))
            keys.append(key);
    }
    for (const QString& key : keys) {
        const auto it = dictionary.values().constFind(key);
        if (it == dictionary.values().cend())
            continue;
        xml.writeTextElement(QStringLiteral("key"), key);
        if (const bool* flag = std::get_if<bool>(&*it))
            xml.writeEmptyElement(*flag ? QStringLiteral("true") : QStringLiteral("false"));
        else
            xml.writeTextElement(QStringLiteral("integer"), QString::number(std::get<int>(*it)));
    }

    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    // One line, for the settings file.
    return indent ? text : text.trimmed();
}
