#include "app/LogHandler.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <syslog.h>

namespace {

int priorityOf(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return LOG_DEBUG;
    case QtInfoMsg: return LOG_INFO;
    case QtWarningMsg: return LOG_WARNING;
    case QtCriticalMsg: return LOG_ERR;
    case QtFatalMsg: return LOG_CRIT;
    }
    return LOG_NOTICE;
}

const char* labelOf(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "critical";
    case QtFatalMsg: return "fatal";
    }
    return "log";
}

// Runs on whichever thread logs; syslog(3) and stdio are thread-safe.
void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QByteArray text = message.toLocal8Bit();
    const char* category = context.category ? context.category : "default";
    syslog(priorityOf(type), "%s: %s", category, text.constData());
    std::fprintf(stderr, "quorel-panel %s %s: %s\n", labelOf(type), category, text.constData());
    std::fflush(stderr);
}

} // namespace

void installLogHandler()
{
    openlog("quorel-panel", LOG_PID, LOG_USER);
    qInstallMessageHandler(handler);
}
