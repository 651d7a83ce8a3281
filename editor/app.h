// Start-up and the editing screen: its command dispatch, the two-click road
// building, and undo and redo. main.cpp calls start_editor.
#pragma once

int  start_editor();        // the whole program: 0 after Esc, 1 after a start-up failure
int  load_resources();      // 1 when a cursor image cannot be read; the background is optional
void reset_editor();        // empty map, counted as saved; empty status line, file name "novamapa.txt", the first view
int  edit_step();           // one event of the editing screen; 1 when the user quits
void connect_nodes();       // first left click found or placed a node; a second one joins it
void step_history(int e);   // Ctrl+Z or Ctrl+Y: undo or redo, and on while such presses follow
