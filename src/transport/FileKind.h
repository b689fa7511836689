#pragma once

#include <QString>

// Why `path` is no file to play or record into: "it is a folder", "it is a
// named pipe, not a file", ... Empty for a regular file (symbolic links
// followed) and for a path that does not exist. Opening a FIFO or a device
// node blocks or reads forever, so these are refused before anything
// opens them.
QString nonRegularFileReason(const QString& path);

// The same for a file mode from stat(); empty for a regular file.
QString nonRegularFileReason(unsigned mode);
