// COM on the calling thread: CoInitializeEx / CoUninitialize on Windows.
// Linux has no COM: initialisation succeeds and does nothing.
#pragma once

#include <cstdint>

namespace platform {

// COINIT_APARTMENTTHREADED and COINIT_MULTITHREADED.
inline constexpr int32_t kComApartmentThreaded = 2;
inline constexpr int32_t kComMultiThreaded = 0;

// 0 when COM is (or already was) initialised on this thread, else the
// failing HRESULT.
uint32_t comInitialize(int32_t model);
// Balances one successful comInitialize on the same thread.
void comUninitialize();

}  // namespace platform
