// The "Error Recognition Properties" window as data: which samples the error counting reads.
#pragma once

#include <functional>
#include <mutex>

#include "core/SampleCodes.h"
#include "ui/model/Controls.h"
#include "workspace/SampleSide.h"

namespace motifora {

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

    // The sample each group chooses (its items in the order of SampleSide); the learning one
    // when the group has no item chosen.
    SampleSide positiveSide() const { return sideOf(PositiveGroup); }
    SampleSide negativeSide() const { return sideOf(NegativeGroup); }
    void choosePositiveSide(SampleSide side) { PositiveGroup.setItemIndex(codeOf(side)); }
    void chooseNegativeSide(SampleSide side) { NegativeGroup.setItemIndex(codeOf(side)); }

    // Shows the window modally and returns when it is closed.
    void ShowModal();
    // "OK": closes the window.
    void OKBtnClick() { Window.setVisible(false); }

  private:
    static SampleSide sideOf(const RadioGroup& group) {
        return fromCode(group.itemIndex(), SampleSide::kControl).value_or(SampleSide::kLearning);
    }
};

}  // namespace motifora
