// libFuzzer target for the stages after a project is opened: any bytes the reader accepts are
// opened in the window model, classified, recognised and counted as a user would click, and
// the report, the text export and the project are written; the project written must open
// again. Sizes are bounded so that each input takes milliseconds. Files live in memory.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "io/ProjectFile.h"
#include "rules/RegGenerator.h"
#include "ui/model/ScriptedDialogs.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

using namespace motifora;

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// A file in memory, reached by the path /proc/self/fd/N, which the writers write through.
class MemoryFile {
  public:
    MemoryFile() : fd_(::memfd_create("motifora-fuzz", MFD_CLOEXEC)) { check(fd_ >= 0); }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }
    void clear() {
        check(::ftruncate(fd_, 0) == 0);
        check(::lseek(fd_, 0, SEEK_SET) == 0);
    }
    void put(const uint8_t* data, size_t size) {
        clear();
        for (size_t done = 0; done < size;) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            check(n > 0);
            done += static_cast<size_t>(n);
        }
    }
    std::string bytes() const {
        std::string out;
        char chunk[4096];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(fd_, chunk, sizeof chunk, at);
            check(n >= 0);
            if (n == 0) break;
            out.append(chunk, static_cast<size_t>(n));
            at += n;
        }
        return out;
    }

  private:
    int fd_;
};

size_t longest(const std::vector<Sequence>& records) {
    size_t n = 0;
    for (const Sequence& s : records) n = std::max(n, s.text.size());
    return n;
}

// Small enough for the stages to take milliseconds.
bool small(const ProjectData& d) {
    if (d.learnPositive.size() > 64 || d.learnNegative.size() > 64 ||
        d.controlNegative.size() > 64 || d.controlPositive.size() > 64)
        return false;
    if (longest(d.learnPositive) > 128 || longest(d.learnNegative) > 128 ||
        longest(d.controlNegative) > 256 || longest(d.controlPositive) > 128)
        return false;
    if (d.classCount > 16 || (d.rules && d.rules->Count() > 400)) return false;
    if (d.storage && (d.storage->width > 128 || d.storage->learnObjectCount > 256)) return false;
    return d.settings.finishBufferSize <= 1000 && d.settings.subBufferSize <= 1000;
}

// Lets the window's timer notice the end of the process its worker ran.
void finish(TMainForm& form) {
    form.mainManager->joinWorker();
    form.SearchingTimerTimer();
    form.SearchingTimerTimer();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ProjectData project;
    if (!DecodeProject({data, size}, "fuzz.dnp", project).ok || !small(project)) return 0;

    static MemoryFile input, output;
    input.put(data, size);
    ScriptedDialogs dialogs;
    TMainForm form(dialogs);
    check(form.readProjectFile(input.path()).ok);
    TMainManager& m = *form.mainManager;
    m.setThreadCount(1);

    // A search started with the project's settings, stopped at once.
    if (form.btnStartSearchRules.enabled()) {
        form.btnStartSearchRulesClick();
        form.btnStopSearchRulesClick();
        finish(form);
        // The search replaced what was opened; open it again for the later stages.
        check(form.readProjectFile(input.path()).ok);
    }
    TMainManager& opened = *form.mainManager;
    if (form.btnStartSearchClass.enabled()) {
        form.btnStartSearchClassClick();
        finish(form);
    }
    if (form.btnStartRecognition.enabled()) {
        form.IdealizObjectsList.select(1, 1);
        form.btnStartRecognitionClick();
        finish(form);
    }
    if (form.btnCountRecErrors.enabled() && opened.classCount() > 0) {
        form.ErrRecForm.modalLoop = [](TErrRecForm& window) { window.OKBtnClick(); };
        form.IdealizObjectsList.select(1, std::min<int32_t>(opened.classCount(), 3));
        form.btnCountRecErrorsClick();
        finish(form);
        for (int clicks = 0; form.btnNextClassErrCount.enabled() && clicks < 4; ++clicks) {
            form.btnNextClassErrCountClick();
            finish(form);
        }
    }

    // What the program shows it can write, and the project it writes opens again.
    output.clear();
    check(form.writeResultsReport(output.path()).ok);
    output.clear();
    check(form.writeTextExport(output.path()).ok);
    output.clear();
    check(form.writeProjectFile(output.path()).ok);
    const std::string saved = output.bytes();
    ProjectData again;
    check(DecodeProject({reinterpret_cast<const unsigned char*>(saved.data()), saved.size()},
                        "saved.dnp", again)
              .ok);
    return 0;
}
