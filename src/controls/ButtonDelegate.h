#pragma once

// Receives the presses of the five transport and reset buttons. Each
// operation is sent on mouse-down, after the button shows its push image.
class ButtonDelegate {
public:
    virtual ~ButtonDelegate() = default;
    virtual void ResetStage() = 0; // tag 0
    virtual void Play() = 0;       // tag 1
    virtual void Record() = 0;     // tag 2
    virtual void Pause() = 0;      // tag 3
    virtual void Stop() = 0;       // tag 4
};
