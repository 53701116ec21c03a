#pragma once
// A result that is either a value or the reason there is none, for callers that must decide what
// to do about a failure (std::expected, which C++17 lacks, in the small).

#include <optional>
#include <utility>
#include <variant>

namespace velmora {

/// The reason of a failed result, wrapped so that a reason of the value's type is still told apart.
template <typename E>
struct Unexpected {
    E reason;
};
template <typename E>
Unexpected<E> unexpected(E reason) {
    return {std::move(reason)};
}

template <typename T, typename E>
class [[nodiscard]] Expected {
public:
    Expected(T value) : held_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
    template <typename R>
    Expected(Unexpected<R> failed)  // NOLINT(google-explicit-constructor)
        : held_(std::in_place_index<1>, E(std::move(failed.reason))) {}

    bool hasValue() const { return held_.index() == 0; }
    explicit operator bool() const { return hasValue(); }
    const T& value() const& { return std::get<0>(held_); }
    T& value() & { return std::get<0>(held_); }
    T&& value() && { return std::get<0>(std::move(held_)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }
    /// The reason; only for a failed result.
    const E& error() const { return std::get<1>(held_); }

private:
    std::variant<T, E> held_;
};

/// Success without a value, or the reason of the failure.
template <typename E>
class [[nodiscard]] Expected<void, E> {
public:
    Expected() = default;
    template <typename R>
    Expected(Unexpected<R> failed) : reason_(E(std::move(failed.reason))) {}  // NOLINT(google-explicit-constructor)

    bool hasValue() const { return !reason_; }
    explicit operator bool() const { return hasValue(); }
    /// The reason; only for a failed result.
    const E& error() const { return *reason_; }

private:
    std::optional<E> reason_;
};

}  // namespace velmora
