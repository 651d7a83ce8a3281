// libFuzzer target for the map file reader (make fuzz), run in a scratch folder: a
// refused file leaves the map as it was, a loaded one survives round trips.
#include <fstream>

#include "network/lists.h"

extern "C" int LLVMFuzzerTestOneInput(const char* data, size_t size)
{
    std::ofstream("input.txt", std::ios::binary).write(data, size);
    if (load_status("input.txt", "output.txt") < 0)
        __builtin_trap();
    return 0;
}
