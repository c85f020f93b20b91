// The list of recently opened or saved projects that the File menu offers.
#include "ui/model/RecentProjects.h"

#include <algorithm>

namespace motifora {

std::vector<std::string> RecentProjects::paths() const {
    auto lock = guard();
    return paths_;
}

void RecentProjects::add(const std::string& path) {
    if (path.empty()) return;
    auto lock = guard();
    paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kMaximum) paths_.resize(kMaximum);
    touch();
}

void RecentProjects::remove(const std::string& path) {
    auto lock = guard();
    const auto end = std::remove(paths_.begin(), paths_.end(), path);
    if (end == paths_.end()) return;
    paths_.erase(end, paths_.end());
    touch();
}

void RecentProjects::setPaths(const std::vector<std::string>& paths) {
    auto lock = guard();
    paths_.clear();
    for (const std::string& path : paths) {
        if (path.empty() || std::find(paths_.begin(), paths_.end(), path) != paths_.end()) continue;
        if (paths_.size() == kMaximum) break;
        paths_.push_back(path);
    }
    touch();
}

}  // namespace motifora
