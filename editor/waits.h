// The waits of every screen: the editing and solve screens' event waits and
// the wait for a typed character. Each draws its screen on every pass and
// follows the view inputs there, which never end a wait.
#pragma once

int  wait_edit_event();     // waits for all watched inputs up, then one press; returns EVENT_* or KEY_*
int  wait_solve_event();    // the same with solve mode's inputs and frame
int  wait_typed_char();     // next character in the key buffer (0-255), redrawing until one arrives
bool printable_char(int c); // what a field stores: no control character; 128-255 are letters
void view_inputs(bool keys);   // wheel and middle-button pan; with `keys` also arrows, + and -, Home
