#include "analysis/outcome_feed.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace korvan::analysis {

struct OutcomeFeed::Listeners {
    OutcomePtr current;
    // Shared, so that a listener that ends its own subscription while it is
    // being called is not destroyed under its feet.
    std::vector<std::pair<long, std::shared_ptr<Listener>>> entries;
    long nextId = 1;
    long publications = 0;

    bool contains(long id) const {
        return std::any_of(entries.begin(), entries.end(),
                           [id](const auto& e) { return e.first == id; });
    }
};

OutcomeFeed::Subscription::Subscription(Subscription&& other) noexcept
    : listeners_(std::move(other.listeners_)), id_(std::exchange(other.id_, 0)) {}

OutcomeFeed::Subscription& OutcomeFeed::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        reset();
        listeners_ = std::move(other.listeners_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void OutcomeFeed::Subscription::reset() {
    if (const auto listeners = listeners_.lock())
        std::erase_if(listeners->entries, [this](const auto& e) { return e.first == id_; });
    listeners_.reset();
    id_ = 0;
}

OutcomeFeed::OutcomeFeed() : listeners_(std::make_shared<Listeners>()) {}

const OutcomePtr& OutcomeFeed::current() const {
    return listeners_->current;
}

OutcomeFeed::Subscription OutcomeFeed::subscribe(Listener listener) {
    const long id = listeners_->nextId++;
    listeners_->entries.emplace_back(id, std::make_shared<Listener>(std::move(listener)));
    return Subscription(listeners_, id);
}

void OutcomeFeed::publish(OutcomePtr outcome) {
    if (outcome == listeners_->current) return;
    listeners_->current = std::move(outcome);
    const long publication = ++listeners_->publications;
    // A listener may end subscriptions (its own too) or publish again; a
    // publication from within has told everyone about the newer outcome.
    const auto listeners = listeners_; // the feed itself may go in a listener
    const auto entries = listeners->entries;
    for (const auto& [id, listener] : entries) {
        if (listeners->publications != publication) return;
        if (!listeners->contains(id)) continue;
        const OutcomePtr now = listeners->current;
        (*listener)(now);
    }
}

} // namespace korvan::analysis
