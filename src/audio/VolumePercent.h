#pragma once

// The whole percent a volume scalar shows as: the percent a desktop mixer
// shows for a volume set to a whole percent, else the percent below.
//
// Servers keep volumes in steps of 1/65536 (PA_VOLUME_NORM), so a volume
// set to p % by any program is stored up to a step and a half away from
// p × 655.36: rounded or truncated by the program that set it, and once
// more by PipeWire's float conversion. Such a volume reads as p (37 % is
// stored as 24248, 36.9995 %, and reads 37; the panel's own 0.53 reads 53).
// Anything farther from a whole percent is truncated: 0.999 reads 99 and
// 0.005 reads 0. Negative or non-finite scalars read 0.
int volumePercent(float scalar);
