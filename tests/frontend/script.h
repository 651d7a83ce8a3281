// Scripted input for the front-end tests. A script is a queue of steps; each
// holds the pointer, the buttons and the keys for a number of frames, and may
// put characters into the key buffer as it starts. The editor's poll_input,
// called once per presented frame, moves the script on, so tests count frames
// instead of time. When the script runs out, poll_input throws ScriptEnded.
#pragma once

#include <allegro.h>

#include <initializer_list>
#include <string>

struct ScriptEnded {};

void frontend_setup();   // headless library, 800x600 screen, assets loaded, editor reset

// One step: the state held for `frames` frames; `typed` goes into the key buffer at its start.
void script_step(int frames, int x, int y, int buttons,
                 std::initializer_list<int> keys = {}, const std::string& typed = "",
                 bool snap = false);
void idle(int frames = 2);                    // nothing held, pointer where it is
void snap_at(int x, int y, int frames = 2);   // pointer moves, and the step's last frame is kept
void click(int x, int y, int buttons = 1);    // press for 2 frames, release for 2
void press_key(int keycode, int ascii = 0);   // key down 2 frames (ascii into the buffer), up 2
void type_text(const std::string& text);      // one character a frame into the key buffer

int run_edit_steps();    // edit_step until the script ends; how many returned 0 (fails on a quit)
int count_nodes();
int count_edges();
int steps_left();        // steps not yet started

BITMAP* snapshot();      // the frame kept by the latest snap step
// Runs `wait` (the editing screen's when null) until the script ends, over
// three steady frames at (x, y), and keeps the last: the sprite the frame
// before left decides the road texts, so the first is not yet steady.
BITMAP* frame_at(int x, int y, int (*wait)() = nullptr);

// The text as the editor's font draws it at (x, y), compared over columns
// left..right-1 of its 8 rows; status_shows does so for the status field.
bool text_shows(BITMAP* frame, int left, int right, int x, int y, const std::string& text);
bool status_shows(BITMAP* frame, const std::string& text);
