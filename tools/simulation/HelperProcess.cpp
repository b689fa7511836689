#include "HelperProcess.h"

#include <QProcess>

void endHelperProcess(QProcess& process, std::chrono::milliseconds grace)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(static_cast<int>(grace.count())))
        process.kill();
    process.waitForFinished(2000);
}
