// A progress sink that keeps every event it is told, for the tests of the engines, the workspace
// and the window model. Events may come from a worker thread: the record is guarded, and a hook
// set for one kind of event runs on the reporting thread right after that event is recorded (so
// a test can pause or stop a worker at a known point).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <mutex>
#include <type_traits>
#include <variant>
#include <vector>

#include "core/ProgressEvents.h"

namespace motifora::test {

// The place of event type T among the alternatives of ProgressEvent.
template <class T, class Variant = ProgressEvent>
struct EventIndex;
template <class T, class... Events>
struct EventIndex<T, std::variant<Events...>> {
    static constexpr size_t value = [] {
        size_t index = 0;
        const bool found = ((std::is_same_v<T, Events> ? true : (++index, false)) || ...);
        return found ? index : sizeof...(Events);
    }();
    static_assert(value < sizeof...(Events), "not a progress event");
};

class RecordingSink : public ProgressSink {
  public:
    void onEvent(const ProgressEvent& event) override {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
            hook = hooks_[event.index()];
        }
        if (hook) hook();
    }

    // Every event recorded so far, in order.
    std::vector<ProgressEvent> events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    // The events of type T, in order.
    template <class T>
    std::vector<T> all() const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<T> found;
        for (const ProgressEvent& event : events_) {
            if (const T* typed = std::get_if<T>(&event)) found.push_back(*typed);
        }
        return found;
    }
    // One field of every event of its type, in order: values(&ItemsLeft::remaining).
    template <class T, class Field>
    std::vector<Field> values(Field T::*field) const {
        std::vector<Field> found;
        for (const T& event : all<T>()) found.push_back(event.*field);
        return found;
    }
    template <class T>
    size_t count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t n = 0;
        for (const ProgressEvent& event : events_) n += std::holds_alternative<T>(event) ? 1 : 0;
        return n;
    }
    // Runs `hook` (on the reporting thread) after each event of type T; an empty hook removes it.
    template <class T>
    void onEach(std::function<void()> hook) {
        std::lock_guard<std::mutex> lock(mutex_);
        hooks_[EventIndex<T>::value] = std::move(hook);
    }
    virtual void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<ProgressEvent> events_;
    std::array<std::function<void()>, std::variant_size_v<ProgressEvent>> hooks_;
};

}  // namespace motifora::test
