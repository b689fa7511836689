#pragma once

#include <QString>

// "hh:mm:ss" for a running time in seconds: each part truncated, two digits
// at least, hours unbounded (3725.4 → "01:02:05").
QString clockText(double seconds);
