// Idealization of many objects at once on a worker pool, registered in order by the caller.
#include "classify/ParallelIdealization.h"

#include <algorithm>

namespace motifora {

ParallelIdealization::ParallelIdealization(const Classificator& model, WorkerPool& pool)
    : storage_(model.storage), rules_(model.rules), type_(model.idealizationType), pool_(pool) {}

ParallelIdealization::~ParallelIdealization() = default;

std::unique_ptr<Classificator> ParallelIdealization::take() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!idle_.empty()) {
            std::unique_ptr<Classificator> engine = std::move(idle_.back());
            idle_.pop_back();
            return engine;
        }
    }
    // Setup reads the rule store, which nothing changes while a run idealizes.
    auto engine = std::make_unique<Classificator>();
    engine->Setup(storage_, rules_, nullptr, type_);
    // What one thread's runs find spares the others the same steps.
    engine->ShareKnownEnds(knownEnds_);
    return engine;
}

void ParallelIdealization::giveBack(std::unique_ptr<Classificator> engine) {
    std::lock_guard<std::mutex> lock(mutex_);
    idle_.push_back(std::move(engine));
}

void ParallelIdealization::idealize(const SEQSElem* objects, int32_t first, int32_t count,
                                    std::vector<std::optional<Idealized>>& out) {
    out.assign(static_cast<size_t>(std::max(count, 0)), std::nullopt);
    if (count <= 0) return;
    pool_.run(static_cast<size_t>(count), [&](size_t begin, size_t end) {
        std::unique_ptr<Classificator> engine = take();
        for (size_t i = begin; i < end; ++i) {
            const int32_t source = first + static_cast<int32_t>(i);
            const bool started = objects != nullptr
                                     ? engine->StartFromObject(objects[static_cast<size_t>(source)])
                                     : engine->StartFromRule(source);
            if (!started) continue;
            engine->Idealize();
            out[i] = Idealized{*engine->workingObject, engine->textBuffer};
        }
        giveBack(std::move(engine));
    });
}

}  // namespace motifora
