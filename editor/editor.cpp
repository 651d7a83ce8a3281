// The editor's program-wide state, declared in editor.h.
#include "editor.h"

BITMAP* back_buffer = nullptr;
BITMAP* cursor_normal = nullptr;
BITMAP* cursor_hover = nullptr;
BITMAP* background_image = nullptr;
BITMAP* shown_background = nullptr;
BITMAP* current_sprite = nullptr;
char status_text[12] = "";
char file_name[32] = "novamapa.txt";
VIEW view = {1.0, 0, 0, 0};
bool full_redraw = false;
