// Cached frames for both screens: each screen's map drawn once, with nothing
// hovered or selected, into a layer kept until map_version or the shown
// background changes. A frame copies the layer and redraws, in list order and
// clipped, only the grid cells where hover, selection and texts differ from it.
#pragma once

enum { LAYER_EDIT, LAYER_SOLVE };

int draw_cached_frame(int screen);   // LAYER_*; 1 when the caller must draw the frame in full
