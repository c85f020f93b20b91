// Where idealization runs end from the states they met: kept by one classificator, or shared by
// the classificators of one batched run (ParallelIdealization), one per thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace motifora {

// States are the flag matrices of working objects packed 8 flags to a byte; an end is a flag
// matrix. Each step (or pass) of a strategy is decided by the state alone, and a run that ended
// where nothing gains, without meeting a state twice, cannot lead back into the states that led
// to it: a later run that meets one of those states ends at the same end, with nothing repeated
// on the way. Only such facts are added, so what a run finds here never depends on which runs
// (or threads) added it, or when.
class KnownEnds {
  public:
    // A shared store locks around every look-up and addition; a store of one classificator
    // does not.
    explicit KnownEnds(bool shared = false) : shared_(shared) {}
    KnownEnds(const KnownEnds&) = delete;
    KnownEnds& operator=(const KnownEnds&) = delete;

    // The end of `state` copied into `cells` and its number returned; -1 (and `cells` as it
    // was) when the state's end is not known.
    int32_t find(const std::string& state, std::vector<uint8_t>& cells) const;
    // Records that each of `states` ends at `cells`, a new end; its number is returned (-1
    // when the store is full and nothing was added). The states are moved from.
    int32_t addEnd(std::vector<std::string>& states, const std::vector<uint8_t>& cells);
    // Records that each of `states` ends at known end `end` (while there is room).
    void add(std::vector<std::string>& states, int32_t end);
    // Forgets everything (new rules, another strategy).
    void clear();
    size_t stateCount() const;

    // At most this many states are kept; later runs are simply not remembered.
    static constexpr size_t kMaxStates = size_t{1} << 20;

  private:
    void addLocked(std::vector<std::string>& states, int32_t end);

    bool shared_;
    mutable std::shared_mutex mutex_;
    std::unordered_map<std::string, int32_t> endOf_;  // state -> index into ends_
    std::deque<std::vector<uint8_t>> ends_;           // never moved once added
};

}  // namespace motifora
