#pragma once
// The main form's outcomes as its views follow them. The main form publishes
// the outcome of its last calculation at the end of every event; a view
// subscribes once and is told each time it changes (a new calculation, or
// one that stopped: null). The start-up code hands the feed to the windows,
// so that no window needs to know the main form or another window.
//
//     auto subscription = feed.subscribe([this](const auto& outcome) { show(outcome); });
//
// The subscription ends when its object is destroyed or reset; it may
// outlive the feed. One thread: publish, subscribe and unsubscribe from the
// thread that runs the main form (the GUI thread).

#include "analysis/design_outcome.h"

#include <functional>
#include <memory>

namespace korvan::analysis {

using OutcomePtr = std::shared_ptr<const DesignOutcome>;

class OutcomeFeed {
    struct Listeners;

  public:
    using Listener = std::function<void(const OutcomePtr&)>;

    class Subscription {
      public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        ~Subscription() { reset(); }
        // Ends it now: the listener is not called again.
        void reset();

      private:
        friend class OutcomeFeed;
        Subscription(std::weak_ptr<Listeners> listeners, long id)
            : listeners_(std::move(listeners)), id_(id) {}
        std::weak_ptr<Listeners> listeners_;
        long id_ = 0;
    };

    OutcomeFeed();
    OutcomeFeed(const OutcomeFeed&) = delete;
    OutcomeFeed& operator=(const OutcomeFeed&) = delete;

    // The last outcome published; null before the first one and after a
    // calculation that stopped.
    const OutcomePtr& current() const;

    // `listener` is called with each new current outcome, in the order of
    // subscription; not for the one current now.
    [[nodiscard]] Subscription subscribe(Listener listener);

    // Makes `outcome` current and tells the listeners; nothing when it is
    // current already (an event that calculated nothing).
    void publish(OutcomePtr outcome);

  private:
    std::shared_ptr<Listeners> listeners_;
};

} // namespace korvan::analysis
