#pragma once

namespace zanfiro {

// Starts Xvfb, then the real program on 0 and on 30,000 gears and an empty
// Qt window of the same size and title (and one with a label), `runs` times
// each in turns; prints the medians of the time from exec to the window
// being mapped, of the CPU time the process had used by then and of its
// peak resident memory, with their ratios to the empty window. Returns the
// process's exit status.
int printStartupFigures(int runs);

}  // namespace zanfiro
