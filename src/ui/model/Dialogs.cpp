// Starting the help viewer without waiting for it, and naming why a start failed.
#include "ui/model/Dialogs.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>
#include <vector>

extern char** environ;

namespace motifora {

LaunchFailure Dialogs::launch(const std::string& program, const std::string& argument) {
    return launchDetached(program, argument);
}

LaunchFailure launchDetached(const std::string& program, const std::string& argument) {
    std::string programCopy = program;
    std::string argumentCopy = argument;
    std::vector<char*> argv{programCopy.data(), argumentCopy.data(), nullptr};
    pid_t pid = 0;
    const int error =
        posix_spawnp(&pid, programCopy.c_str(), nullptr, nullptr, argv.data(), environ);
    switch (error) {
        case 0: {
            // Reap the child in the background so that it never lingers as a zombie; the window
            // does not wait for the viewer.
            std::thread([pid] {
                int status = 0;
                waitpid(pid, &status, 0);
            }).detach();
            return LaunchFailure::None;
        }
        case EACCES:
        case EPERM:
            return LaunchFailure::AccessDenied;
        case EMFILE:
        case ENFILE:
            return LaunchFailure::TooManyOpenFiles;
        case ENOENT:
        case ENOTDIR:
            return LaunchFailure::NotFound;
        case ENOEXEC:
            return LaunchFailure::NotExecutable;
        case ENOMEM:
            return LaunchFailure::NotEnoughMemory;
        default:
            return LaunchFailure::Other;
    }
}

}  // namespace motifora
