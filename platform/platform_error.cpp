#include "platform/platform_error.h"

#include "platform/utf.h"

PlatformError::PlatformError(std::wstring message, std::uint32_t code)
    : std::runtime_error(Utf8FromWide(message)), message_(std::move(message)), code_(code) {}
