#pragma once

#include <QString>

#include <cstddef>

// The file a recording is written into, one whole frame at a time: a frame
// that cannot be written completely (the disk is full, the medium failed)
// is cut off again, so the file always ends on a whole frame and holds
// exactly what was counted as written. Used by one thread at a time.
class RecordingFile {
public:
    RecordingFile() = default;
    ~RecordingFile();
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Creates or empties `path`. Refuses anything but a regular file (a
    // FIFO or a device node would block or write somewhere else) with the
    // reason in `error`.
    bool open(const QString& path, QString* error);
    bool isOpen() const { return m_fd >= 0; }
    // Appends one frame; false with the reason when it did not fit whole.
    bool append(const void* data, std::size_t size, QString* error);
    // Closes the file; false with the reason when the data may not have
    // reached it (a late write error).
    bool close(QString* error);

    qint64 size() const { return m_size; }

private:
    int m_fd = -1;
    qint64 m_size = 0;
};
