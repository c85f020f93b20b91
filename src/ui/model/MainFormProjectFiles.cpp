// The file steps of the "File" commands: reading and writing projects, text and HTML reports.
//
// This build has no project file, text export or HTML report writer yet: each step refuses with
// a reason, so the commands report a failure and change nothing. The project file module
// replaces these bodies.
#include "ui/model/TMainForm.h"

namespace motifora {

namespace {

const char* const kNotAvailable = "Project files are not available in this build.";

}  // namespace

bool TMainForm::readProjectFile(const std::string& path, std::string& error) {
    (void)path;
    error = kNotAvailable;
    return false;
}

bool TMainForm::writeProjectFile(const std::string& path, std::string& error) {
    (void)path;
    error = kNotAvailable;
    return false;
}

bool TMainForm::writeTextExport(const std::string& path, std::string& error) {
    (void)path;
    error = "Text export is not available in this build.";
    return false;
}

bool TMainForm::writeResultsReport(const std::string& path, std::string& error) {
    (void)path;
    error = "HTML reports are not available in this build.";
    return false;
}

}  // namespace motifora
