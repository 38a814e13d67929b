#include <objbase.h>
#include <windows.h>

#include "platform/com.h"

namespace platform {

uint32_t comInitialize(int32_t model) {
  const HRESULT hr = CoInitializeEx(nullptr, static_cast<DWORD>(model));
  return SUCCEEDED(hr) ? 0 : static_cast<uint32_t>(hr);
}

void comUninitialize() { CoUninitialize(); }

}  // namespace platform
