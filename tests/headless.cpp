// Headless start-up: SCREEN_W and SCREEN_H come from a driver record that is
// never called, and the screen is a memory bitmap.
#include "headless.h"

#include <allegro.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "editor/app.h"

static GFX_DRIVER fake_driver;

int start_headless_editor(const char* assets_dir)
{
    set_uformat(U_ASCII);   // as the editor: 8-bit names
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(16);
    fake_driver.w = 800;
    fake_driver.h = 600;
    gfx_driver = &fake_driver;
    screen = create_bitmap(800, 600);
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd) || chdir(assets_dir) != 0)
        return 1;
    int failed = load_resources();
    return (chdir(cwd) != 0) | failed;
}
