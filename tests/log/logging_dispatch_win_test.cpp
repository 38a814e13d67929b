#include <windows.h>
#include <oaidl.h>

#include <gtest/gtest.h>

#include "runtime/services/common_services.h"
#include "log/log_manager.h"

namespace {

class EmptySettings final : public log_LogSettingsI {
 public:
  StringC value(const char*) override { return StringC(); }
};

TEST(LogManagerDispatch, WithoutARegisteredTypeLibraryDispatchCallsSaySo) {
  EmptySettings settings;
  auto* m = new log_LogManagerC(settings);
  m->AddRef();
  void* out = nullptr;
  ASSERT_EQ(m->QueryInterface(kIIDIDispatch, &out), 0);
  auto* dispatch = static_cast<IDispatch*>(out);
  UINT count = 0;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ITypeInfo* info = nullptr;
  EXPECT_EQ(dispatch->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  EXPECT_EQ(dispatch->GetTypeInfo(0, 0, &info), TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
            TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(dispatch->Release(), 1u);  // the face shares the manager's count
  m->Release();
}

}  // namespace
