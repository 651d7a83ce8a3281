// The program's entry, wrapped by the library so that it can set itself up
// before and after main on every platform.
#include "app.h"

#include <allegro.h>

int main()
{
    return start_editor();
}
END_OF_MAIN()
