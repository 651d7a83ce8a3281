// The file name field and the load and save commands, reported in the status
// line until the next event. edit_step calls them for L, S and the bar buttons.
#pragma once

int  edit_file_name();   // edits file_name; returns the key that ended it, 13 or 27
void load_dialog();      // prompts, loads, shows "Loaded!" or "Error:"
void save_dialog();      // prompts, saves, shows "Saved!" or "Error:"
int  show_message(const char* text);   // shows text without the file name until the next event, which it returns
