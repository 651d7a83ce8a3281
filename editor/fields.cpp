// The file name field and the load and save commands. A command's outcome
// stays in the status line until the next event, which it uses up. Here too
// the map as it was last loaded or saved, which Esc asks about before quitting.
#include "fields.h"

#include <allegro.h>

#include <cstring>
#include <vector>

#include "editor.h"
#include "network/history.h"
#include "network/map_file.h"
#include "network/network.h"
#include "viewport.h"
#include "waits.h"

enum { NAME_ROOM = sizeof file_name - 1 };

// ---- the map as last loaded or saved -----------------------------------------------

// A copy is compared, not map_version: names and lengths are typed in place
// without moving the version, and an undo back to the saved map moves it on.
struct SAVED_NODE { int x, y; char name[sizeof NODE::name]; };
static std::vector<SAVED_NODE> saved_nodes;   // head first
static std::vector<int> saved_roads;          // end positions and length of each road, head first

void mark_saved()
{
    saved_nodes.clear();
    saved_roads.clear();
    int k = 0;
    for (NODE* n = node_list; n; n = n->next) {
        n->index = k++;
        saved_nodes.push_back(SAVED_NODE{n->x, n->y, {}});
        std::memcpy(saved_nodes.back().name, n->name, sizeof n->name);
    }
    for (EDGE* e = edge_list; e; e = e->next)
        saved_roads.insert(saved_roads.end(), {e->from->index, e->to->index, e->length});
}

// Numbers the nodes into `index` as it goes, for the roads' ends.
static bool nodes_differ()
{
    std::size_t k = 0;
    for (NODE* n = node_list; n; n = n->next, k++) {
        if (k == saved_nodes.size())
            return true;
        const SAVED_NODE& s = saved_nodes[k];
        if (n->x != s.x || n->y != s.y || std::strncmp(n->name, s.name, sizeof s.name) != 0)
            return true;
        n->index = (int)k;
    }
    return k != saved_nodes.size();
}

// A solve may turn a road around; that is not an edit, so either way round matches.
static bool roads_differ()
{
    std::size_t k = 0;
    for (EDGE* e = edge_list; e; e = e->next, k += 3) {
        if (k == saved_roads.size())
            return true;
        const int a = e->from->index, b = e->to->index, *s = &saved_roads[k];
        if (e->length != s[2] || !((a == s[0] && b == s[1]) || (a == s[1] && b == s[0])))
            return true;
    }
    return k != saved_roads.size();
}

bool map_unsaved()
{
    return nodes_differ() || roads_differ();
}

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
        mark_saved();
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
        mark_saved();
    report(status, "Saved!");
}
