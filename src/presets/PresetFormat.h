#pragma once

#include "presets/Preset.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The presets' text format, UTF-8, one "key=value" a line; blank lines and
// lines starting with '#' are skipped. A shared preset (.qpreset) is one
// preset:
//
//   format=quorel-preset
//   version=1
//   name=Voice
//   monitor=off            on or off
//   denoise=on             on or off
//   stage1=-8 .. stage5=1  -15 to 15
//   reverb=0               0 to 100
//   mixer=off              on or off
//
// The user's store is a header and one section per preset:
//
//   format=quorel-presets
//   version=1
//   active=Voice           the preset last chosen (may be empty)
//   [My voice]
//   monitor=off
//   ...
//
// Every key is required once; an unknown key is an error, so a newer panel
// that adds one raises the version. Pure functions, any thread.
namespace PresetFormat {

constexpr int Version = 1;
// A preset takes about 150 bytes; anything this large is not one.
constexpr qint64 MaxFileSize = 64 * 1024;
constexpr int MaxNameLength = 64;

// A name a user preset may take: 1 to 64 characters after trimming, no
// control characters, not starting with '['; *why says why not.
bool validName(const QString& name, QString* why);

QByteArray write(const Preset& preset);
// The preset in `text`, checked whole; nothing and *why when any part is
// wrong (not a preset, an unknown version, a value of the wrong type or
// out of range, a missing or unknown key).
std::optional<Preset> read(const QByteArray& text, QString* why);

// What a store holds that the panel does not offer, as it stands in the
// file, so that writing the store again never loses what a hand or another
// panel put there: header lines not understood and whole sections (one
// "[name]" line and the lines up to the next, blank ones at its end left
// out).
struct Unread {
    QByteArray headerLines;
    QList<QByteArray> sections;

    bool operator==(const Unread&) const = default;
};

struct Store {
    QList<Preset> presets;
    // The section each preset was read from, as it stands in the file.
    QList<QByteArray> sections;
    QString active;
    // One message per preset left out, naming it and what is wrong.
    QStringList damaged;
    Unread unread;
};
// The header, `presets`, then `unread`'s lines and sections unchanged.
QByteArray writeStore(const QList<Preset>& presets, const QString& active, const Unread& unread = {});
// Nothing and *why when the header is wrong (then no preset can be trusted);
// otherwise every intact preset, a damaged section costing only itself and
// kept in `unread`.
std::optional<Store> readStore(const QByteArray& text, QString* why);

}
