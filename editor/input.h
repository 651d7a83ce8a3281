// The one place where the program lets the input state move on: called once
// after every presented frame. The program links input.cpp, the front-end
// tests link a scripted replacement, so no test depends on timing.
#pragma once

void poll_input(bool idle);   // brings mouse_x, mouse_y, mouse_z, mouse_b, key[] and the key
                              // buffer up to date; after an unchanged frame, rests a little first
