// morvek-headless: the monitor without a window, the match log dump and the PDF report. It links
// QtCore, QtNetwork and QtGui only, so a server box needs no desktop libraries.
#include "app/headless.h"

int main(int argc, char** argv) {
    return morvek::RunHeadless(argc, argv);
}
