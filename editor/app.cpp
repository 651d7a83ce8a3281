// Start-up, the editing screen's command dispatch, the two-click road
// building, and undo and redo.
#include "app.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "commands.h"
#include "editor.h"
#include "fields.h"
#include "grid.h"
#include "network/history.h"
#include "network/network.h"
#include "solve_mode.h"
#include "view.h"
#include "viewport.h"
#include "waits.h"

// Leaves text mode and shows a start-up failure in the library's message box.
static int fail_start(const char* message)
{
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    allegro_message("%s", message);
    return 1;
}

static const char CURSOR_NORMAL_FILE[] = "myska1.bmp";
static const char CURSOR_HOVER_FILE[] = "myska2.bmp";

// The box keeps its words; standard error says which file was missing and
// where it was looked for, since the images are read from the working folder.
static int fail_images()
{
    std::error_code error;
    const std::string folder = std::filesystem::current_path(error).string();
    if (!back_buffer)
        std::fprintf(stderr, "mapedit: no memory for a %dx%d frame\n", SCREEN_W, SCREEN_H);
    else
        std::fprintf(stderr, "mapedit: cannot read %s in %s (run it from the folder that holds "
                     "its images, as make run does)\n",
                     cursor_normal ? CURSOR_HOVER_FILE : CURSOR_NORMAL_FILE,
                     error ? "the working folder" : folder.c_str());
    return fail_start("Nemozem nacitat subory.");
}

static int fail_graphics()
{
    char message[ALLEGRO_ERROR_SIZE + 32];
    std::snprintf(message, sizeof message, "Zlyhala grafika.\n%s.", allegro_error);
    return fail_start(message);
}

int start_editor()
{
    // Names and file names are 8-bit characters, as the keyboard types them
    // (readkey's low byte); read as UTF-8 their upper half would draw as "^".
    set_uformat(U_ASCII);
    // Without a display the library cannot come up, and the keyboard driver
    // would crash on the missing system: stop before touching it.
    if (allegro_init() != 0) {
        std::fprintf(stderr, "Zlyhala grafika.\n%s.\n",
                     allegro_error[0] ? allegro_error : "no display");
        return 1;
    }
    if (install_keyboard() != 0)
        return fail_graphics();
    install_mouse();
    set_color_depth(16);
    set_close_button_callback(nullptr);  // the close button does nothing; Esc quits
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, 800, 600, 0, 0) != 0)
        return fail_graphics();
    show_os_cursor(MOUSE_CURSOR_NONE);   // the program draws its own pointer
    if (load_resources() != 0)
        return fail_images();
    reset_editor();
    clear_to_color(screen, makecol(255, 255, 255));
    while (edit_step() == 0) {
    }
    return 0;
}

int load_resources()
{
    back_buffer = create_bitmap(SCREEN_W, SCREEN_H);
    if (!back_buffer)
        return 1;
    cursor_normal = load_bitmap(CURSOR_NORMAL_FILE, nullptr);
    if (!cursor_normal)
        return 1;
    cursor_hover = load_bitmap(CURSOR_HOVER_FILE, nullptr);
    if (!cursor_hover)
        return 1;
    background_image = load_bitmap("backgrnd.tga", nullptr);
    shown_background = background_image;
    set_sprite(cursor_hover);
    return 0;
}

void reset_editor()
{
    clear_map();
    history_clear();
    history_mark_saved();
    status_text[0] = '\0';
    std::strcpy(file_name, "novamapa.txt");
    reset_view();
}

// A left click on the bar: the two button zones are wider than their fields.
static void click_bar(int x)
{
    if (x >= 404 && x < 458)
        save_dialog();
    else if (x >= 350 && x < 404)
        load_dialog();
}

// Esc quits at once unless the map differs from the one last loaded or saved;
// then it asks, and only a second Esc quits. Any other event just takes the question away.
static int ask_quit()
{
    return !history_unsaved() || show_message("Esc: quit?") == KEY_ESC;
}

int edit_step()
{
    int event = wait_edit_event();
    switch (event) {
    case KEY_ESC:
        return ask_quit();
    case EVENT_LEFT:
        if (mouse_y < SCREEN_H - 28)
            connect_nodes();
        else
            click_bar(mouse_x);
        break;
    case EVENT_RIGHT: item_actions(mouse_x, mouse_y); break;
    case KEY_L:       load_dialog(); break;
    case KEY_S:       save_dialog(); break;
    case KEY_K:       toggle_background(); break;
    case KEY_ENTER:   solve_mode(); break;
    case EVENT_UNDO:
    case EVENT_REDO:  step_history(event); break;
    default:          break;
    }
    return 0;
}

// The node under the pointer, hit as it is drawn, or a new one at the whole
// map unit under the pointer, splitting the first road drawn there.
static NODE* node_at_pointer()
{
    const XFORM t = view_xform();
    NODE* n = first_node_hit(t, mouse_x, mouse_y);
    return n ? n : add_node(map_x_at(mouse_x), map_y_at(mouse_y), first_road_hit(t, mouse_x, mouse_y));
}

void connect_nodes()
{
    // Both clicks make one change: a lone node, or a road with its new ends.
    history_begin();
    NODE* a = node_at_pointer();
    current_node = a;
    int event = wait_edit_event();
    current_node = nullptr;
    // Any other event only ends the building; it has no effect of its own.
    if (event == EVENT_LEFT)
        add_edge(a, node_at_pointer());
    history_end();
}

void step_history(int event)
{
    // The message stays until the next press. Undo and redo presses go on
    // stepping, so each press is one step; any other press is used up.
    while (event == EVENT_UNDO || event == EVENT_REDO) {
        bool undo = event == EVENT_UNDO;
        int failed = undo ? history_undo() : history_redo();
        event = show_message(failed ? (undo ? "No undo" : "No redo")
                                    : (undo ? "Undone!" : "Redone!"));
    }
}
