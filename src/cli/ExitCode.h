// The exit codes of motifora-cli, one per kind of outcome, so that scripts can tell them apart.
#pragma once

namespace motifora {

enum ExitCode : int {
    kExitSuccess = 0,
    kExitBadArguments = 2,   // an option or its value is wrong; the usage line is printed
    kExitInputRefused = 3,   // a sample or project file was refused (file, record or line, why)
    kExitProcessFailed = 4,  // a process could not run (no regularities, no classes, ...)
    kExitOutputFailed = 5,   // an output file could not be written; an earlier file is untouched
    kExitInterrupted = 130,  // stopped by Ctrl-C (SIGINT) or SIGTERM; no output was written
};

}  // namespace motifora
