// The ends of idealization runs by the states they met.
#include "classify/KnownEnds.h"

#include <mutex>

namespace motifora {

int32_t KnownEnds::find(const std::string& state, std::vector<uint8_t>& cells) const {
    std::shared_lock<std::shared_mutex> lock(mutex_, std::defer_lock);
    if (shared_) lock.lock();
    const auto known = endOf_.find(state);
    if (known == endOf_.end()) return -1;
    cells = ends_[static_cast<size_t>(known->second)];
    return known->second;
}

int32_t KnownEnds::addEnd(std::vector<std::string>& states, const std::vector<uint8_t>& cells) {
    std::unique_lock<std::shared_mutex> lock(mutex_, std::defer_lock);
    if (shared_) lock.lock();
    if (endOf_.size() + states.size() > kMaxStates) return -1;
    const auto end = static_cast<int32_t>(ends_.size());
    ends_.push_back(cells);
    addLocked(states, end);
    return end;
}

void KnownEnds::add(std::vector<std::string>& states, int32_t end) {
    std::unique_lock<std::shared_mutex> lock(mutex_, std::defer_lock);
    if (shared_) lock.lock();
    if (end < 0 || static_cast<size_t>(end) >= ends_.size()) return;
    addLocked(states, end);
}

void KnownEnds::addLocked(std::vector<std::string>& states, int32_t end) {
    if (endOf_.size() + states.size() > kMaxStates) return;
    // A state another thread added meanwhile keeps its entry: both name the same end.
    for (std::string& state : states) endOf_.emplace(std::move(state), end);
}

void KnownEnds::clear() {
    std::unique_lock<std::shared_mutex> lock(mutex_, std::defer_lock);
    if (shared_) lock.lock();
    endOf_.clear();
    ends_.clear();
}

size_t KnownEnds::stateCount() const {
    std::shared_lock<std::shared_mutex> lock(mutex_, std::defer_lock);
    if (shared_) lock.lock();
    return endOf_.size();
}

}  // namespace motifora
