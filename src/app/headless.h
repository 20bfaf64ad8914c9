// The monitor without a window: polls, decodes and prints the picture at every poll tick.
#pragma once

namespace morvek {

// argv without the program's own path handling; returns the process exit status:
// 0 the server answered at least once, 1 it never did, 2 a bad command line.
int RunHeadless(int argc, char** argv);

}  // namespace morvek
