// The program's version, from the header the build writes (cmake/WriteVersion.cmake).
#include "version/Version.h"

#include "MotiforaVersion.h"

namespace motifora {

std::string projectVersion() { return MOTIFORA_PROJECT_VERSION; }

std::string versionText() { return MOTIFORA_VERSION_TEXT; }

}  // namespace motifora
