#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The text the user's stores are written in (the presets', the scenes'),
// UTF-8, one "key=value" a line, blank lines and lines starting with '#'
// skipped: a header ("format=...", "version=...", then the store's own
// keys) and "[name]" sections of key=value lines. Reading keeps every
// section as it stands in the file, so what a store does not take can be
// written back byte for byte. Pure functions, any thread.
namespace StoreText {

using Line = std::pair<QString, QString>;        // key, value
using NumberedLine = std::pair<int, QString>;    // 1-based number, trimmed text

// Text lines without comments and blanks; every line as it stands in *raw.
// Nothing when the bytes are not UTF-8 text.
std::optional<QList<NumberedLine>> lines(const QByteArray& bytes, QStringList* raw = nullptr);
std::optional<Line> split(const QString& line);

// The "format" and "version" lines that open a file of `what`; *next is
// the index of the first line after them.
bool readHeader(const QList<NumberedLine>& lines, const QString& format, int version, const QString& what,
                qsizetype* next, QString* why);

struct Section {
    int number = 0;
    // Empty when the "[" line does not end in "]".
    QString name;
    QList<Line> pairs;
    // The first line that is not key=value, empty when none.
    QString damage;
    // The "[name]" line and the lines up to the next, blank ones at its end
    // left out.
    QByteArray raw;
};

struct Sectioned {
    // The lines after "format" and "version" up to the first section.
    QList<NumberedLine> header;
    // Each header line as it stands, by its number.
    QStringList rawLines;
    QList<Section> sections;

    QByteArray rawLine(int number) const { return rawLines[number - 1].toUtf8() + '\n'; }
};

// Nothing and *why when the bytes are not text or the header is not the
// given format and version.
std::optional<Sectioned> read(const QByteArray& bytes, const QString& format, int version, const QString& what,
                              QString* why);

// "[name]" and the lines of `pairs`.
QByteArray section(const QString& name, const QList<Line>& pairs);

}
