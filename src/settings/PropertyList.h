#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "settings/SettingsDictionary.h"

// The settings dictionary as an XML property list: a root <dict> of the
// thirteen keys with <integer>, <true/> or <false/> values.
namespace PropertyList {

// Parses `xml`. Returns nothing when the text is not a well-formed property
// list whose root is a dictionary; `error` then says why. One of the
// thirteen keys holding something other than a number or boolean that fits
// an int is left out (it reads 0 or false) and named in `dropped`; the other
// keys keep their values. Keys other than the thirteen are skipped. <real>
// values are truncated to integers.
std::optional<SettingsDictionary> read(const QByteArray& xml, QString* error = nullptr,
                                       QStringList* dropped = nullptr);

// The dictionary as property-list text; `indent` lays it out one element a
// line.
QByteArray write(const SettingsDictionary& dictionary, bool indent = true);

}
