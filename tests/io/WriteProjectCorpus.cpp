// Writes the seed corpus of the project reader's fuzzer: a project at each stage of the work,
// built from the example data. Usage: io_write_project_corpus <folder>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "ProjectStages.h"

int main(int argc, char** argv) {
    using namespace motifora;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    for (testing::Stage stage : testing::allStages()) {
        const ProjectData data = testing::buildStage(stage, 6);
        std::string bytes;
        const Status status = EncodeProject(viewOf(data), bytes);
        if (!status.ok) {
            std::fprintf(stderr, "%s\n", status.message.c_str());
            return 1;
        }
        const auto path = std::filesystem::path(argv[1]) / (testing::stageName(stage) + ".dnp");
        std::ofstream(path, std::ios::binary) << bytes;
        std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
    }
    return 0;
}
