#include "app/UnixSignalNotifier.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSignals, "quorel.app.signals")

namespace {

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};
struct sigaction g_previous[kSignals.size()];

} // namespace

UnixSignalNotifier::UnixSignalNotifier(QObject* parent)
    : QObject(parent)
{
    if (g_pipe[0] != -1) {
        qCWarning(lcSignals) << "signal notifier already installed; not installing a second one";
        return;
    }
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcSignals) << "cannot create the signal pipe:" << std::strerror(errno);
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UnixSignalNotifier::readPipe);

    struct sigaction action {};
    action.sa_handler = &UnixSignalNotifier::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (sigaction(kSignals[i], &action, &g_previous[i]) != 0)
            qCWarning(lcSignals) << "cannot handle signal" << kSignals[i] << ":" << std::strerror(errno);
    }
    m_active = true;
}

UnixSignalNotifier::~UnixSignalNotifier()
{
    if (!m_active)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
    m_notifier.reset();
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

// Runs in signal context: only async-signal-safe calls.
void UnixSignalNotifier::handle(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto written = write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

void UnixSignalNotifier::readPipe()
{
    unsigned char byte = 0;
    while (read(g_pipe[0], &byte, 1) == 1) {
        qCInfo(lcSignals) << "received signal" << strsignal(byte) << "- shutting down";
        emit received(byte);
    }
}
