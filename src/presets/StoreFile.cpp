#include "presets/StoreFile.h"

#include "presets/PresetFile.h"

#include <QDate>
#include <QFileInfo>

StoreFile::StoreFile(QString path, QObject* parent)
    : QObject(parent)
    , m_path(std::move(path))
    , m_queue(QFileInfo(m_path).fileName() + QStringLiteral(" file"))
{
}

StoreFile::~StoreFile()
{
    m_queue.waitUntilIdle();
}

std::optional<QByteArray> StoreFile::read(bool* missing, QString* why) const
{
    PresetFile::ReadStatus status{};
    std::optional<QByteArray> bytes = PresetFile::read(m_path, &status, why);
    *missing = status == PresetFile::ReadStatus::Missing;
    return bytes;
}

void StoreFile::setUnreadable(bool unreadable)
{
    m_unreadable = std::make_shared<bool>(unreadable);
}

void StoreFile::write(const QByteArray& bytes)
{
    struct Outcome {
        QString setAsideAs;
        QString failure;
    };
    m_queue.ask(
        this,
        // The file's thread: the file and the copies only.
        [path = m_path, bytes, unreadable = m_unreadable] {
            Outcome outcome;
            if (*unreadable) {
                const std::optional<QString> setAside = PresetFile::setAside(path, QDate::currentDate(), &outcome.failure);
                if (!setAside)
                    return outcome;
                outcome.setAsideAs = *setAside;
                *unreadable = false;
            }
            PresetFile::write(path, bytes, &outcome.failure);
            return outcome;
        },
        [](StoreFile* file, const Outcome& outcome) {
            if (!outcome.setAsideAs.isEmpty())
                emit file->setAside(outcome.setAsideAs);
            if (!outcome.failure.isEmpty())
                emit file->failed(outcome.failure);
        });
}
