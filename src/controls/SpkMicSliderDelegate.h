#pragma once

// Hover notifications from a slider control to its cell. Neither redraws;
// the control does that.
class SpkMicSliderDelegate {
public:
    virtual ~SpkMicSliderDelegate() = default;
    virtual void highLightKnob() = 0;
    virtual void commonKnob() = 0;
};
