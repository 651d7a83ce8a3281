// The map file: "9992", the two counts, the node records and the road lines.
// The load and save commands call these with the name the user typed.
#pragma once

int save_map(const char* name);   // 1 when the file could not be written completely; the old file stays
int load_map(const char* name);   // 1 when the file is missing or unsound; the map in memory stays
