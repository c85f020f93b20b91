#pragma once
// Idealization of many objects (or rules) at once: each is idealized on its own copy of the
// classificator's rules by the pool's threads, and the results are registered in order by the
// caller, so classes and their numbers are those of the one-by-one run.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "classify/Classificator.h"
#include "core/WorkerPool.h"

namespace motifora {

// One object (or rule) idealized: the ideal object, and the last text of it the one-by-one run
// would have shown (before a full position is emptied).
struct Idealized {
    CIdelObject object;
    std::string status;
};

class ParallelIdealization {
  public:
    // Idealizes as `model` does (its storage, rules, width and type, read now) on `pool`'s
    // threads. `model` must be set up; it is not touched afterwards.
    ParallelIdealization(const Classificator& model, WorkerPool& pool);
    ~ParallelIdealization();
    ParallelIdealization(const ParallelIdealization&) = delete;
    ParallelIdealization& operator=(const ParallelIdealization&) = delete;

    // out[i] := object first + i of `objects` idealized; with `objects` null, rule first + i
    // idealized instead; empty where the classificator could not start from it. No reports and
    // no pause gate: the caller passes its gate between the registrations.
    void idealize(const SEQSElem* objects, int32_t first, int32_t count,
                  std::vector<std::optional<Idealized>>& out);

  private:
    std::unique_ptr<Classificator> take();
    void giveBack(std::unique_ptr<Classificator> engine);

    SEQStorage* storage_;
    RulesStorage* rules_;
    IdealizationType type_;
    WorkerPool& pool_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Classificator>> idle_;  // one per concurrent range, made on demand
    // Where runs end, shared by all of them.
    std::shared_ptr<KnownEnds> knownEnds_ = std::make_shared<KnownEnds>(true);
};

// The number of objects idealized between two rounds of registrations: large enough to keep the
// threads busy, small enough that a stop or a pause waits for little.
constexpr int32_t kIdealizationBatch = 2048;

}  // namespace motifora
