#include <objbase.h>
#include <windows.h>

#include "platform/com.h"

namespace platform {

namespace {

// ole32 is loaded when COM is first wanted, so that the library imports no
// more than the system's core DLLs (the host process has ole32 anyway).
using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
using CoUninitializeFn = void(WINAPI*)();

struct Ole32 {
  CoInitializeExFn initialize = nullptr;
  CoUninitializeFn uninitialize = nullptr;
};

const Ole32& ole32() {
  static const Ole32 functions = [] {
    Ole32 f;
    if (HMODULE m = LoadLibraryW(L"ole32.dll")) {
      f.initialize = reinterpret_cast<CoInitializeExFn>(reinterpret_cast<void*>(GetProcAddress(m, "CoInitializeEx")));
      f.uninitialize = reinterpret_cast<CoUninitializeFn>(reinterpret_cast<void*>(GetProcAddress(m, "CoUninitialize")));
    }
    return f;
  }();
  return functions;
}

}  // namespace

uint32_t comInitialize(int32_t model) {
  if (!ole32().initialize) return static_cast<uint32_t>(E_FAIL);
  const HRESULT hr = ole32().initialize(nullptr, static_cast<DWORD>(model));
  return SUCCEEDED(hr) ? 0 : static_cast<uint32_t>(hr);
}

void comUninitialize() {
  if (ole32().uninitialize) ole32().uninitialize();
}

}  // namespace platform
