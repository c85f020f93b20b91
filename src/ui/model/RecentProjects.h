// The list of recently opened or saved projects that the File menu offers.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ui/model/Controls.h"

namespace motifora {

// Project paths, newest first, without duplicates and at most kMaximum of them. A control like
// the others: every change bumps the change counter, so the front end rebuilds its menu and
// stores the list (the model itself keeps no settings file).
class RecentProjects final : public Control {
  public:
    static constexpr size_t kMaximum = 8;

    explicit RecentProjects(std::recursive_mutex& mutex) : Control(mutex) {}

    std::vector<std::string> paths() const;
    // Puts `path` first, moving it there when it is already listed; the oldest entry beyond
    // kMaximum drops out. An empty path changes nothing.
    void add(const std::string& path);
    // Takes `path` off the list (a project that could not be opened any more).
    void remove(const std::string& path);
    // Replaces the list, as a front end does with the stored one at start-up: empty paths and
    // repeats are dropped, and only the first kMaximum are kept.
    void setPaths(const std::vector<std::string>& paths);

  private:
    std::vector<std::string> paths_;
};

}  // namespace motifora
