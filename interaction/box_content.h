#pragma once
// What an edit box holds, read at one moment without converting it yet: a long list pasted into a
// box is converted to Text once, when first asked for, on whichever thread asks (the preview's
// worker, say), not on the window's thread at each change.

#include <memory>
#include <mutex>
#include <utility>

#include "core/text/text.h"

namespace velmora {

class BoxContent {
public:
    /// Where the content comes from: the box's own string, converted on request.
    class Source {
    public:
        virtual ~Source() = default;
        virtual Text text() const = 0;
        /// True when other holds the same content, told without converting either.
        virtual bool sameAs(const Source& other) const = 0;
    };

    BoxContent() : BoxContent(Text{}) {}
    explicit BoxContent(Text text) : state_(std::make_shared<State>()) {
        std::call_once(state_->once, [&] { state_->text = std::move(text); });
    }
    explicit BoxContent(std::shared_ptr<const Source> source) : state_(std::make_shared<State>()) {
        state_->source = std::move(source);
    }

    /// The content as Text, converted the first time it is asked for.
    const Text& text() const {
        std::call_once(state_->once, [this] { state_->text = state_->source->text(); });
        return state_->text;
    }

    friend bool operator==(const BoxContent& a, const BoxContent& b) {
        if (a.state_ == b.state_) return true;
        // Two contents read from boxes are told apart as read, unconverted: contents that differ
        // there and happen to convert alike count as different, which only costs a preview.
        if (a.state_->source && b.state_->source) return a.state_->source->sameAs(*b.state_->source);
        return a.text() == b.text();
    }

private:
    struct State {
        std::shared_ptr<const Source> source;
        std::once_flag once;
        Text text;
    };
    std::shared_ptr<State> state_;
};

}  // namespace velmora
