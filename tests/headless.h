// The editor without a display, for the front-end tests and the frame
// benchmark: the library with no system driver, an 800x600 memory screen,
// and the images loaded from a folder.
#pragma once

int start_headless_editor(const char* assets_dir);   // 1 when the images cannot be read
