// Live input: the library updates its state by itself on most platforms and
// only needs to be polled where it says so.
#include "input.h"

#include <allegro.h>

void poll_input()
{
    if (keyboard_needs_poll())
        poll_keyboard();
    if (mouse_needs_poll())
        poll_mouse();
}
