#pragma once

// Receives the Monitor and Denoise switches' changes, sent on mouse-down
// after the switch has flipped its `checked` state.
class CheckButtonDelegate {
public:
    virtual ~CheckButtonDelegate() = default;
    virtual void MonitorChanged() = 0;
    virtual void DenoiseChanged() = 0;
};
