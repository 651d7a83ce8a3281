// libFuzzer target for the map file reader. Each input goes through a real
// file. A refused file must leave the map exactly as it was; an accepted one
// must give a sound map that survives two save and load round trips.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_set>

#include "network/lists.h"
#include "network/map_file.h"

namespace {

std::string input_path, output_path;

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// tmpfs when there is one: save_map syncs every file it writes.
void choose_paths()
{
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string base = std::string(dir) + "/load_map_fuzz." + std::to_string(getpid());
    input_path = base + ".in";
    output_path = base + ".out";
    std::atexit([] {
        unlink(input_path.c_str());
        unlink(output_path.c_str());
    });
}

void write_input(const uint8_t* data, size_t size)
{
    std::ofstream out(input_path, std::ios::binary | std::ios::trunc);
    check(bool(out.write((const char*)data, (std::streamsize)size)));
}

std::string read_output()
{
    std::ifstream in(output_path, std::ios::binary);
    check(bool(in));
    return {std::istreambuf_iterator<char>(in), {}};
}

void sound_loaded_map()
{
    std::unordered_set<const NODE*> nodes;
    for (NODE* n = node_list; n; n = n->next) {
        check(n->label == -1 && strnlen(n->name, 16) <= 15);
        nodes.insert(n);
    }
    for (EDGE* e = edge_list; e; e = e->next)
        check(nodes.count(e->from) && nodes.count(e->to) && e->length >= 0 &&
              e->state == STATE_UNSEEN && e->distance == -1);
    check(current_node == nullptr && selected_edge == nullptr);
}

// Saved, loaded, saved, loaded and saved again: loading reverses both lists,
// so the third file must equal the first.
void round_trips()
{
    check(save_map(output_path.c_str()) == 0);
    std::string first = read_output();
    for (int k = 0; k < 2; k++) {
        check(load_map(output_path.c_str()) == 0);
        check(save_map(output_path.c_str()) == 0);
    }
    check(read_output() == first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (input_path.empty())
        choose_paths();
    clear_map();
    NODE* b = push_node(3, 4, "b");
    NODE* a = push_node(1, 2, "a");
    push_edge(a, b, 5);
    current_node = a;

    write_input(data, size);
    if (load_map(input_path.c_str()) != 0) {
        check(node_list == a && a->next == b && b->next == nullptr);
        check(edge_list->from == a && edge_list->to == b && edge_list->next == nullptr);
        check(std::strcmp(a->name, "a") == 0 && edge_list->length == 5 && current_node == a);
    } else {
        sound_loaded_map();
        round_trips();
    }
    clear_map();
    return 0;
}
