// Stand-in for SDL 1.2's start-up shim, which Debian's libSDLmain leaves empty on Linux.
#include "app/Entry.h"

int main(int argc, char* argv[]) {
    return SDL_main(argc, argv);
}
