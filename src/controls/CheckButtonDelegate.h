#pragma once

// Receives the Monitor and Denoise switches' changes, sent on mouse-down
// after the switch has flipped, with the state it shows now.
class CheckButtonDelegate {
public:
    virtual ~CheckButtonDelegate() = default;
    virtual void MonitorChanged(bool on) = 0;
    virtual void DenoiseChanged(bool on) = 0;
};
