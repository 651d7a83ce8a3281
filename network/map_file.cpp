// Map file reading and writing.
#include "map_file.h"

int save_map(const char*) { return 1; }
int load_map(const char*) { return 1; }
