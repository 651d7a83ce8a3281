// Right-click item actions on a node or a road.
#include "commands.h"

#include "network/network.h"

void item_actions(int, int) {}
void drag_node(NODE*) {}
void edit_node_name(NODE*) {}
void edit_edge_length(EDGE*) {}
