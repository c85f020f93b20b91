// The program's version as both front ends show it (motifora-cli --version, the about box).
#pragma once

#include <string>

namespace motifora {

// The project version, e.g. "0.1.0"; the version of the package too.
std::string projectVersion();

// The project version followed by the git revision the program was built from, e.g.
// "0.1.0 (git 1a2b3c4d5e)"; a build from a tree without git gives the project version alone.
std::string versionText();

}  // namespace motifora
