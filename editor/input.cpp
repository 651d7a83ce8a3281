// Live input: the library updates its state by itself on most platforms and
// only needs to be polled where it says so. A frame that showed nothing new
// gives the processor back for a moment, well under a frame at 60 Hz, so an
// idle editor costs next to nothing and a press still shows at once.
#include "input.h"

#include <allegro.h>
#include <time.h>

enum { IDLE_REST_MS = 8 };

void poll_input(bool idle)
{
    // The system's sleep: the library's rest() spins without its timer.
    if (idle) {
        const timespec pause = {0, IDLE_REST_MS * 1000000L};
        nanosleep(&pause, nullptr);
    }
    if (keyboard_needs_poll())
        poll_keyboard();
    if (mouse_needs_poll())
        poll_mouse();
}
