#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

// A failed platform call, carrying the system's own message text.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(std::wstring message, std::uint32_t code = 0);
    const std::wstring& Message() const { return message_; }
    std::uint32_t Code() const { return code_; }

private:
    std::wstring message_;
    std::uint32_t code_;
};
