#pragma once

#include <chrono>

class QProcess;

// Ends a helper process (a server, a display, the panel under test): asks
// it to go with SIGTERM, kills it when it is still there after `grace`, and
// returns once it has gone or a short further bound has passed.
void endHelperProcess(QProcess& process, std::chrono::milliseconds grace = std::chrono::seconds(3));
