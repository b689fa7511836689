#include "transport/RecordingFile.h"

#include "transport/FileKind.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

RecordingFile::~RecordingFile()
{
    close(nullptr);
}

bool RecordingFile::open(const QString& path, QString* error)
{
    close(nullptr);
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so a FIFO without a reader fails instead of hanging;
    // the file itself is then written blocking.
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error)
            *error = errno == ENXIO ? nonRegularFileReason(unsigned(S_IFIFO)) : systemError(errno);
        return false;
    }
    struct stat info{};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (error)
            *error = nonRegularFileReason(unsigned(info.st_mode));
        ::close(fd);
        return false;
    }
    if (ftruncate(fd, 0) != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        if (error)
            *error = systemError(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_size = 0;
    return true;
}

bool RecordingFile::append(const void* data, std::size_t size, QString* error)
{
    const auto* bytes = static_cast<const char*>(data);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(m_fd, bytes + written, size - written);
        if (n > 0) {
            written += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int reason = n < 0 ? errno : ENOSPC;
        // Cut off the part of the frame that made it, so the file ends on
        // the last whole frame.
        if (written > 0 && ftruncate(m_fd, m_size) == 0)
            lseek(m_fd, m_size, SEEK_SET);
        if (error)
            *error = systemError(reason);
        return false;
    }
    m_size += qint64(size);
    return true;
}

bool RecordingFile::close(QString* error)
{
    if (m_fd < 0)
        return true;
    const int result = ::close(m_fd);
    m_fd = -1;
    if (result != 0 && errno != EINTR) {
        if (error)
            *error = systemError(errno);
        return false;
    }
    return true;
}
