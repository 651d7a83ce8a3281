// Undo and redo of the map: before each command a copy of the whole map, kept
// as an undo step when the command changed something. The editor brackets its
// commands with history_begin and history_end and calls undo and redo. A
// copy of the map as last loaded or saved tells whether it has changed since.
#pragma once

#include <cstddef>

void        history_begin();   // copies the map as it stands before a command
int         history_end();     // 1 when the command changed nothing; else keeps the copy, drops the redo steps
int         history_undo();    // 1 when there is nothing to undo; else the map before the last change
int         history_redo();    // 1 when there is nothing to redo; else the map the last undo replaced
void        history_clear();   // forgets every step, for a fresh start
void        history_mark_saved();  // the map as it stands is the one last loaded or saved
bool        history_unsaved(); // true when the map differs from that one; a road turned round by a solve does not
std::size_t history_bytes();   // memory the undo and redo steps hold, at most history_limit
