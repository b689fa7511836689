#pragma once

// Makes the skinned controls known to Qt's accessibility bridge (AT-SPI on
// Linux), which would otherwise describe them by their Qt base classes:
// nameless push buttons whose press does nothing, and a plain widget for
// the level bars.
//
// - Button: a push button named by its role ("Play", ...) unless the window
//   names it; its press action is a click.
// - CheckButton: a check box with its checked state; its toggle action is
//   a click.
// - SpkMicSliderAction: a slider with its value, range and step; setting
//   the value or the increase/decrease actions are user changes.
// - ProgressIndicator: Reverb is a slider whose changes are key steps;
//   Mixer is a read-only progress bar. The value text is the tooltip's, and
//   a level whose `enable` is off is reported disabled.
// - PresetSelector: a combo box whose value is the active preset (", modified"
//   when the sound has changed since); its show-menu action opens the list.
//
// Each control calls this when it is created; the first call installs the
// factory, later calls do nothing. Main thread only.
void installControlsAccessibility();
