// Switching the desktop's input method on, for kana input when the text area takes the focus.
//
// Linux input methods offer no common call for it.  fcitx5 has one on the session bus
// (org.fcitx.Fcitx5, /controller, org.fcitx.Fcitx.Controller1.Activate), which switches to its
// first input method (a Japanese one in hiragana, when that is how the user set it up).  Where no
// fcitx5 runs (IBus, no input method, no session bus) nothing happens.
#pragma once

namespace sk::editor {

// Asks a running fcitx5 to switch its input method on; returns at once.  True when the request
// was sent.
bool ActivateInputMethod();

}  // namespace sk::editor
