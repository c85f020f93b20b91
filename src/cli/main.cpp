// motifora-cli: runs a whole Motifora analysis from the command line through the window model.
#include <clocale>
#include <exception>
#include <iostream>
#include <string_view>

#include "cli/BatchOptions.h"
#include "cli/BatchRun.h"
#include "cli/ExitCode.h"
#include "cli/Interrupt.h"
#include "cli/ScanCommand.h"

int main(int argc, char** argv) {
    // The workbench takes its number formats from the user's locale at start-up; so does the
    // batch run, so that both write the same texts.
    std::setlocale(LC_ALL, "");
    if (argc > 1 && std::string_view(argv[1]) == "scan") {
        motifora::installInterruptHandlers();
        try {
            return motifora::runScanCommand(argc - 1, argv + 1, std::cout, std::cerr);
        } catch (const std::exception& error) {
            std::cerr << "motifora-cli scan: " << error.what() << "\n";
            return motifora::kExitProcessFailed;
        }
    }
    const motifora::ParseOutcome parsed = motifora::parseArguments(argc, argv);
    std::cout << parsed.out;
    std::cerr << parsed.err;
    if (!parsed.run) return parsed.exitCode;

    motifora::installInterruptHandlers();
    try {
        motifora::BatchRun run(parsed.options, std::cout, std::cerr);
        return run.run();
    } catch (const std::exception& error) {
        // Memory exhaustion or a similar failure inside a process: report it, write nothing.
        std::cerr << "motifora-cli: " << error.what() << "\n";
        return motifora::kExitProcessFailed;
    }
}
