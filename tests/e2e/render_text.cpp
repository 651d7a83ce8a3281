// Prints, as rows of '#' (ink) and '.' (paper), how the editor's font draws a
// status-line text: 346 columns from the field's left edge, the text at x 10.
// The end-to-end tests compare these rows with a screenshot's status field.
//   render_text "Novy - Novy: 100"
#include <allegro.h>

#include <cerrno>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_text TEXT\n");
        return 2;
    }
    set_uformat(U_ASCII);   // as the editor: 8-bit names
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(16);
    BITMAP* field = create_bitmap(346, 8);
    int white = makecol(255, 255, 255);
    clear_to_color(field, white);
    textout_ex(field, font, argv[1], 10, 0, 0, white);
    for (int y = 0; y < 8; y++) {
        for (int x = 0; x < 346; x++)
            std::putchar(getpixel(field, x, y) == 0 ? '#' : '.');
        std::putchar('\n');
    }
    return 0;
}
END_OF_MAIN()
