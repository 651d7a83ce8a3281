// The file name field and the load and save commands. A command's outcome
// stays in the status line until the next event, which it uses up.
#include "fields.h"

#include <allegro.h>

#include <cstring>

#include "editor.h"
#include "network/history.h"
#include "network/map_file.h"
#include "viewport.h"
#include "waits.h"

enum { NAME_ROOM = sizeof file_name - 1 };

// ---- the file name field and the commands --------------------------------------------

int edit_file_name()
{
    int i = (int)std::strlen(file_name);   // typing appends to the offered name
    clear_keybuf();
    for (;;) {
        int c = wait_typed_char();
        if (c == CHAR_BACKSPACE) {
            file_name[0] = '\0';   // Backspace clears the whole name
            i = 0;
        }
        if (c == CHAR_ESC || c == CHAR_ENTER)
            return c;
        if (printable_char(c) && i < NAME_ROOM) {
            file_name[i++] = (char)c;
            file_name[i] = '\0';
        }
    }
}

// The name is hidden meanwhile; only its first character needs keeping aside.
int show_message(const char* text)
{
    char first = file_name[0];
    std::strcpy(status_text, text);
    file_name[0] = '\0';
    int event = wait_edit_event();
    file_name[0] = first;
    status_text[0] = '\0';
    return event;
}

// Shows the outcome until the next event; a failure shows the name after it.
static void report(int status, const char* success)
{
    if (status == 0) {
        show_message(success);
        return;
    }
    std::strcpy(status_text, "Error:");
    wait_edit_event();
    status_text[0] = '\0';
}

void load_dialog()
{
    std::strcpy(status_text, "Load file:");
    if (edit_file_name() == CHAR_ESC || file_name[0] == '\0') {
        status_text[0] = '\0';
        return;
    }
    history_begin();   // a failed load leaves the map, and so makes no step
    int status = load_map(file_name);
    history_end();
    if (status == 0) {
        history_mark_saved();
        home_view();   // a map that fits the window opens as it always did; a city opens whole
    }
    report(status, "Loaded!");
}

void save_dialog()
{
    std::strcpy(status_text, "Save as:");
    if (edit_file_name() == CHAR_ESC) {
        status_text[0] = '\0';
        return;
    }
    int status = save_map(file_name);   // an empty name fails there
    if (status == 0)
        history_mark_saved();
    report(status, "Saved!");
}
