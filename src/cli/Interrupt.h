// Ctrl-C and SIGTERM in a batch run: the signal only raises a flag; the run loop sees it, presses
// the running process's stop button and ends without writing any output.
#pragma once

namespace motifora {

// Installs the handlers for SIGINT and SIGTERM. The first signal raises the flag and gives the
// signal back its default action, so a second Ctrl-C ends the program at once (no output file
// is ever half-written: every writer renames a complete temporary file into place).
void installInterruptHandlers();
// True once a signal has arrived.
bool interruptRequested();
// Raises the flag as a signal would (tests).
void requestInterrupt();

}  // namespace motifora
