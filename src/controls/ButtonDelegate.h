#pragma once

// Receives the presses of the five transport and reset buttons. Each
// operation is sent on mouse-down, after the button shows its push image.
// A delegate takes the operations of the buttons it is set on: the reset
// button's is not the transport buttons'.
class ButtonDelegate {
public:
    virtual ~ButtonDelegate() = default;
    virtual void ResetStage() {} // tag 0
    virtual void Play() {}       // tag 1
    virtual void Record() {}     // tag 2
    virtual void Pause() {}      // tag 3
    virtual void Stop() {}       // tag 4
};
