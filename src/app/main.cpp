// morvek: the monitor window by default, the headless monitor with --headless.
#include <cstring>

#include "app/headless.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0) return morvek::RunHeadless(argc, argv);
    return morvek::RunHeadless(argc, argv);
}
