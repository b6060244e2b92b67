#pragma once
#include <utility>

// Gives a variable a value for one scope and its earlier value back afterwards, also when an
// exception leaves the scope.
template <typename T>
class ScopedValue {
public:
    ScopedValue(T& target, T value) : target_(target), saved_(std::exchange(target, std::move(value))) {}
    ~ScopedValue() { target_ = std::move(saved_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& target_;
    T saved_;
};

using ScopedFlag = ScopedValue<bool>;
