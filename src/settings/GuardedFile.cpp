#include "settings/GuardedFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

QString englishErrorText(int error)
{
    // strerror() follows LC_MESSAGES; log lines and bug reports are English.
    const char* text = ::strerrordesc_np(error);
    return text ? QString::fromLatin1(text) : QStringLiteral("error %1").arg(error);
}

QString GuardedRead::loggedReason(const QString& path) const
{
    switch (outcome) {
    case Outcome::CannotOpen:
        return QStringLiteral("%1 cannot be read (%2)").arg(path, englishErrorText(error));
    case Outcome::NotRegular:
        return QStringLiteral("%1 is not a regular file").arg(path);
    case Outcome::TooLarge:
        return QStringLiteral("%1 is damaged (%2 bytes, far more than it should hold)").arg(path).arg(size);
    case Outcome::Read:
    case Outcome::Missing:
        break;
    }
    return {};
}

GuardedRead readGuarded(const QString& path, qint64 maxSize)
{
    GuardedRead result;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.error = errno;
        result.outcome = result.error == ENOENT ? GuardedRead::Outcome::Missing : GuardedRead::Outcome::CannotOpen;
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        result.outcome = GuardedRead::Outcome::NotRegular;
        return result;
    }
    result.size = info.st_size;
    if (info.st_size > maxSize) {
        ::close(fd);
        result.outcome = GuardedRead::Outcome::TooLarge;
        return result;
    }
    // One byte more than allowed tells a file that grew since the stat.
    result.bytes.resize(maxSize + 1);
    qint64 filled = 0;
    while (filled < result.bytes.size()) {
        const ssize_t got = ::read(fd, result.bytes.data() + filled, static_cast<size_t>(result.bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.error = errno;
            ::close(fd);
            result.bytes.clear();
            result.outcome = GuardedRead::Outcome::CannotOpen;
            return result;
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    result.bytes.truncate(filled);
    result.size = filled;
    result.outcome = filled > maxSize ? GuardedRead::Outcome::TooLarge : GuardedRead::Outcome::Read;
    if (result.outcome == GuardedRead::Outcome::TooLarge)
        result.bytes.clear();
    return result;
}

namespace {

// The kinds of value QSettings' INI reader may decode from a data stream
// ("@Variant(...)") that hold no count: a list's, a map's or an image's
// decoder reserves as many elements as the stream's count says before it
// reads them, so four bytes of a damaged file could ask for gigabytes.
bool streamedKindIsBounded(QByteArrayView stream)
{
    if (stream.size() < 4)
        return true;
    const quint32 kind = (quint32(quint8(stream[0])) << 24) | (quint32(quint8(stream[1])) << 16)
        | (quint32(quint8(stream[2])) << 8) | quint32(quint8(stream[3]));
    switch (kind) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::QString: // read in steps as the bytes arrive
    case QMetaType::QByteArray: // likewise
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return true;
    default:
        return false;
    }
}

// Whether a value in INI `text`, unescaped and split as QSettings does
// (escapes \a..\v, \xHEX, octal, quotes, unquoted commas, a backslash
// before a line's end going on to the next line), is "@Variant(...)" of a
// kind that is not bounded.
bool holdsUnboundedStreamedValue(QByteArrayView text)
{
    static const char named[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
                                    {'r', '\r'}, {'t', '\t'}, {'v', '\v'}, {'"', '"'},
                                    {'?', '?'},   {'\'', '\''}, {'\\', '\\'}};
    const auto unbounded = [](const QString& element) {
        static const QString prefix = QStringLiteral("@Variant(");
        return element.startsWith(prefix) && element.endsWith(u')')
            && !streamedKindIsBounded(element.mid(prefix.size()).toLatin1());
    };
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        // A line: a section, a comment, or a key and its value.
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        qsizetype end = i;
        while (end < n && text[end] != '\n' && text[end] != '=')
            ++end;
        const bool keyed = end < n && text[end] == '=' && i < n && text[i] != '[' && text[i] != ';' && text[i] != '#';
        if (!keyed) {
            while (i < n && text[i] != '\n')
                ++i;
            ++i;
            continue;
        }
        i = end + 1;
        QString element;
        bool quoted = false;
        bool started = false;
        while (i < n && text[i] != '\n') {
            const char ch = text[i++];
            if (!started && !quoted && (ch == ' ' || ch == '\t'))
                continue;
            started = true;
            if (ch == '"') {
                quoted = !quoted;
            } else if (ch == ',' && !quoted) {
                if (unbounded(element.trimmed()))
                    return true;
                element.clear();
                started = false;
            } else if (ch != '\\') {
                element += QLatin1Char(ch);
            } else if (i < n) {
                const char code = text[i++];
                const auto* match = std::find_if(std::begin(named), std::end(named),
                                                 [code](const char* pair) { return pair[0] == code; });
                if (match != std::end(named)) {
                    element += QLatin1Char(match[0][1]);
                } else if (code == 'x' || (code >= '0' && code <= '7')) {
                    const bool hex = code == 'x';
                    uint value = hex ? 0 : uint(code - '0');
                    bool digits = !hex;
                    while (i < n && (hex ? std::isxdigit(static_cast<unsigned char>(text[i])) != 0
                                         : (text[i] >= '0' && text[i] <= '7'))) {
                        const char digit = text[i++];
                        // QChar keeps the low 16 bits, as QSettings' does.
                        const uint one = digit <= '9' ? uint(digit - '0') : uint((digit | 0x20) - 'a' + 10);
                        value = ((value << (hex ? 4 : 3)) + one) & 0xffff;
                        digits = true;
                    }
                    if (digits)
                        element += QChar(char16_t(value));
                } else if (code == '\n' || code == '\r') {
                    // The value goes on on the next line.
                    if (code == '\r' && i < n && text[i] == '\n')
                        ++i;
                }
            }
        }
        if (unbounded(element.trimmed()))
            return true;
        ++i;
    }
    return false;
}

} // namespace

// QSettings parses only files it opens by name, so the bytes already read
// are handed to it in a private copy rather than letting it open the
// user's file again.
std::optional<QVariantMap> iniValues(const QByteArray& text)
{
    // Decoding such a value would be the one way a damaged file costs more
    // than its own size in memory; the file counts as damaged instead.
    if (holdsUnboundedStreamedValue(text))
        return std::nullopt;
    QTemporaryFile copy(QDir(QDir::tempPath()).filePath(QStringLiteral("quorel-panel-ini.XXXXXX")));
    if (!copy.open() || copy.write(text) != text.size() || !copy.flush())
        return std::nullopt;
    const QSettings settings(copy.fileName(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    QVariantMap values;
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

bool replaceIniFile(const QString& path, qint64 maxSize, const QVariantMap& values, bool durable, QString* why)
{
    const auto fail = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    // A file the panel cannot read may be the user's; it is theirs to move.
    const GuardedRead existing = readGuarded(path, maxSize);
    if (existing.refused())
        return fail(existing.loggedReason(path) + QStringLiteral("; it is kept"));

    const QFileInfo target(path);
    if (!QDir().mkpath(target.path()))
        return fail(QStringLiteral("cannot create %1").arg(target.path()));
    QTemporaryFile temporary(path + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return fail(temporary.errorString());
    {
        QSettings settings(temporary.fileName(), QSettings::IniFormat);
        for (auto value = values.begin(); value != values.end(); ++value)
            settings.setValue(value.key(), value.value());
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return fail(QStringLiteral("the new file could not be written"));
    }
    // QSettings wrote through a descriptor of its own; this one sees the
    // same file.
    if (durable && ::fsync(temporary.handle()) != 0)
        return fail(englishErrorText(errno));
    if (::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(englishErrorText(errno));
    temporary.setAutoRemove(false);

    if (durable) {
        // The rename itself reaches the disk with the folder.
        const int folder = ::open(QFile::encodeName(target.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }
    return true;
}
