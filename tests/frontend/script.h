// Scripted input for the front-end tests: steps of pointer, buttons, held keys
// and typed characters, each held for some frames. poll_input, called once a
// frame, moves the script on and throws ScriptEnded past its end.
#pragma once

#include <allegro.h>

#include <string>
#include <vector>

struct ScriptEnded {};

void frontend_setup();   // headless editor reset, empty script, in a scratch working folder
void script_step(int frames, int x, int y, int buttons, const std::vector<int>& keys = {},
                 const std::string& typed = "", bool snap = false);
void idle(int frames = 2);                    // nothing held, the pointer where it is
void snap_at(int x, int y, int frames = 2);   // the pointer there; the step's last frame is kept
void click(int x, int y, int buttons = 1);    // pressed for 2 frames, released for 2
void press_key(int keycode, int ascii = 0);   // down for 2 frames (ascii typed), up for 2
void type_text(const std::string& text);      // one character a frame
int  run_edit_steps();   // edit_step until the script ends; how many returned 0 (fails on a quit)
int  steps_left();       // steps not yet started
BITMAP* snapshot();      // the frame kept by the latest snap step
BITMAP* frame_at(int x, int y, int (*wait)() = nullptr);   // `wait` run 3 frames there, the last kept
bool text_shows(BITMAP* frame, int left, int right, int x, int y, const std::string& text);
bool status_shows(BITMAP* frame, const std::string& text);   // the status field shows just `text`
