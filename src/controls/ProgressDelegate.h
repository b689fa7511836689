#pragma once

#include <QString>

// The level controls' delegate: the Reverb control (tagId 0) reports its
// value on press and release (and each key step) and asks ReverbText for its
// tooltip; the Mixer control (any other tagId) only asks MixerText. Each
// text is asked for the value the control shows.
class ProgressDelegate {
public:
    virtual ~ProgressDelegate() = default;
    virtual void ReverberanceChanged(double value) = 0;
    virtual QString ReverbText(double value) = 0;
    virtual QString MixerText(double value) = 0;
};
