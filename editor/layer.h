// Cached frames for both screens: each screen's map drawn once, with nothing
// hovered or selected, into a layer that follows the map's logged edits cell
// by cell and is redrawn in full after any other change or a new background.
// A frame copies the layer, puts the hovered and selected items over it where
// nothing drawn after them covers them, and redraws only the text's cells. A
// dragged node and its roads stay out of the editing layer, put over it the
// same way, until another edit or solve mode puts them back.
#pragma once

enum { LAYER_EDIT, LAYER_SOLVE };

int draw_cached_frame(int screen);   // LAYER_*; 1 when the caller must draw the frame in full
