// Right-click item actions: select a node or road, then drag, rename, type a
// length or delete. edit_step calls item_actions on EVENT_RIGHT.
#pragma once

struct NODE;
struct EDGE;

void item_actions(int px, int py);   // selects the item at the point and runs its action loop
void drag_node(NODE* node);          // follows the pointer while the left button is held
void edit_node_name(NODE* node);     // keyboard field for the name; Enter keeps it, Esc gives the old one back
void edit_edge_length(EDGE* edge);   // keyboard field for the length, up to 999999999; Esc gives the old one back
