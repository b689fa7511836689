#pragma once

#include <QString>

// The level controls' delegate: the Reverb control (tagId 0) reports its
// value on press and release (and each key step) and asks ReverbText for its
// tooltip; the Mixer control (any other tagId) only asks MixerText.
class ProgressDelegate {
public:
    virtual ~ProgressDelegate() = default;
    virtual void ReverberanceChanged(double value) = 0;
    virtual QString ReverbText() = 0;
    virtual QString MixerText() = 0;
};
