#pragma once
// 32-bit result codes in the platform's style: zero or positive is success, negative is failure.

#include <cstdint>

inline constexpr int32_t kResultOk = 0;
// Cancelled by the user (E_ABORT).
inline constexpr int32_t kResultAbort = static_cast<int32_t>(0x80004004u);
// A general failure (E_FAIL).
inline constexpr int32_t kResultFail = static_cast<int32_t>(0x80004005u);
// An allocation failed (E_OUTOFMEMORY).
inline constexpr int32_t kResultOutOfMemory = static_cast<int32_t>(0x8007000Eu);

inline bool Succeeded(int32_t result) {
    return result >= 0;
}
inline bool Failed(int32_t result) {
    return result < 0;
}
