// Reading a command line of motifora-cli in process, for the tests of its options.
#pragma once

#include <string>
#include <vector>

#include "cli/BatchOptions.h"

namespace motifora::test {

// What parseArguments makes of "motifora-cli" followed by `arguments`.
inline ParseOutcome parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "motifora-cli");
    return parseArguments(arguments);
}

}  // namespace motifora::test
