// Start-up and the editing loop: the event wait of the editing screen and the
// left-click road building. main.cpp calls start_editor; later commands call
// wait_edit_event for their own events.
#pragma once

int  start_editor();        // the whole program: 0 after Esc, 1 after a start-up failure
int  load_resources();      // 1 when a cursor image cannot be read; the background is optional
void reset_editor();        // empty map, empty status line, file name "novamapa.txt"
int  edit_step();           // one event of the editing screen; 1 when the user quits
int  wait_edit_event();     // waits for all watched inputs up, then one press; returns EVENT_* or KEY_*
int  wait_typed_char();     // next character in the key buffer (0-255), redrawing until one arrives
bool printable_char(int c); // what a field stores: no control character; 128-255 are letters
void connect_nodes();       // first left click found or placed a node; a second one joins it
void toggle_background();   // K: hide the picture, or show it again
void step_history(int e);   // Ctrl+Z or Ctrl+Y: undo or redo, and on while such presses follow
