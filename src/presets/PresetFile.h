#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>

// Reading and writing the presets' small files. Any thread; each call
// touches one file.
namespace PresetFile {

enum class ReadStatus { Read, Missing, Refused };

// The whole file, when it is a regular file of at most
// PresetFormat::MaxFileSize bytes; otherwise nothing, with `status` telling
// a missing file from one refused or unreadable, and *why saying which.
// Opened without blocking, so a FIFO or a device never hangs the caller.
std::optional<QByteArray> read(const QString& path, ReadStatus* status, QString* why);

// Replaces the file atomically (QSaveFile: written beside it, flushed, then
// renamed over it), creating its folder; false and *why when it fails.
bool write(const QString& path, const QByteArray& bytes, QString* why);

// Renames the file at `path` to "<path>.unreadable-<date>" ("-2", "-3"...
// added when taken), so that a file that could not be read is kept when
// another is written in its place. The new path, empty when there is no
// file; nothing and *why when it cannot be renamed.
std::optional<QString> setAside(const QString& path, const QDate& date, QString* why);

}
