// The recording's file writer: whole frames only, and nothing but regular
// files. A file size limit stands in for a full disk, so this runs
// anywhere; the recorder's own test fills a real small filesystem.
#include "transport/RecordingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

TEST(RecordingFileTest, AFrameThatDoesNotFitIsCutOffAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("take.aac");
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write(QByteArray(5000, 'x'));
    earlier.close();

    RecordingFile file;
    QString error;
    ASSERT_TRUE(file.open(path, &error)) << qPrintable(error);
    EXPECT_EQ(QFileInfo(path).size(), 0) << "an earlier file is emptied";

    const QByteArray frame(400, 'a');
    ASSERT_TRUE(file.append(frame.constData(), std::size_t(frame.size()), &error));
    ASSERT_TRUE(file.append(frame.constData(), std::size_t(frame.size()), &error));

    // Room for half a frame more: the write gets part of it in, then fails.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool third = file.append(frame.constData(), std::size_t(frame.size()), &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(third);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(file.size(), 800);
    EXPECT_TRUE(file.close(&error)) << qPrintable(error);
    EXPECT_EQ(QFileInfo(path).size(), 800) << "the file ends on the last whole frame";
}

TEST(RecordingFileTest, RefusesWhatIsNoRegularFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.aac");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/null"), dir.path(), dir.filePath("no/such/take.aac")}) {
        RecordingFile file;
        QString error;
        EXPECT_FALSE(file.open(path, &error)) << qPrintable(path);
        EXPECT_FALSE(error.isEmpty()) << qPrintable(path);
        EXPECT_FALSE(file.isOpen()) << qPrintable(path);
    }
}

} // namespace
