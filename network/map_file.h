// The map file: "9992", the two counts, the node records and the road lines.
// load_dialog and save_dialog call these with the name the user typed.
#pragma once

int save_map(const char* name);   // 1 when not written completely or the file is read-only, the old file intact;
                                  // a link's target is updated; numbers nodes into label
int load_map(const char* name);   // 1 when missing or unsound, the map untouched; else replaces both lists, last record first
