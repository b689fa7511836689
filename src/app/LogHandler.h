#pragma once

// Routes every Qt log line of the program to syslog(3) and to stderr, with
// the logging category and a priority matching the message type.
// Installed once by main(), before anything logs.
void installLogHandler();
