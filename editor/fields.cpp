// The file name field and the load and save commands.
#include "fields.h"

int edit_file_name() { return 27; }
void load_dialog() {}
void save_dialog() {}
