// `motifora-cli scan`: scores every window of a FASTA genome against classes of a saved project
// and writes the hits as BED and the best score per window as bedGraph.
#pragma once

#include <iosfwd>

namespace motifora {

// Runs the scan command; argv[0] is "scan". Returns the process exit code (ExitCode.h).
// Progress goes to `err` (unless --quiet), the summary to `out`.
int runScanCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace motifora
