// The "Error Recognition Properties" window as data: which samples the error counting reads.
#pragma once

#include <functional>
#include <mutex>

#include "ui/model/Controls.h"

namespace motifora {

// Item indexes of both radio groups.
enum RecognitionSource : int32_t { kLearningSource = 0, kControlSource = 1 };

class TErrRecForm {
    // Declared first: every control below refers to it.
    std::recursive_mutex& mutex_;

  public:
    // The controls share the main window's mutex.
    explicit TErrRecForm(std::recursive_mutex& mutex) : mutex_(mutex) { Window.setVisible(false); }
    TErrRecForm(const TErrRecForm&) = delete;
    TErrRecForm& operator=(const TErrRecForm&) = delete;

    Control Window{mutex_};  // the window itself: visible while shown
    Label Caption{mutex_, "Error Recognition Properties"};
    RadioGroup PositiveGroup{mutex_, "Positive sequencies", {"Learning", "Control"}, 0};
    RadioGroup NegativeGroup{mutex_, "Negative sequencies", {"Learning", "Control"}, 0};
    Button OKBtn{mutex_, "OK"};

    // Runs while the window is shown modally: the front end lets the user choose and returns
    // when "OK" closes the window. Without a hook the window closes at once, choices unchanged.
    std::function<void(TErrRecForm&)> modalLoop;

    // Shows the window modally and returns when it is closed.
    void ShowModal();
    // "OK": closes the window.
    void OKBtnClick() { Window.setVisible(false); }
};

}  // namespace motifora
