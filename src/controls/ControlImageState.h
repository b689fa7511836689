#pragma once

// A skinned control's look. Button keeps it (as an int) in `status`;
// CheckButton takes it in changeImage(); the controller passes the same
// numbers.
enum class ControlImageState : int {
    Enable = 0,  // enabled, pointer not over the control
    Disable = 1, // disabled
    Hover = 2,   // enabled, pointer over the control
    Push = 3,    // pressed (Button only)
};
