#include <windows.h>
#include <oaidl.h>

#include "log/log_manager.h"

namespace {

// The manager's IDispatch table. Its type information would come from the
// suite's registered type library; this build registers none, so type
// information and dispatch calls answer TYPE_E_LIBNOTREGISTERED.
class DispatchFace final : public IDispatch, public log_DispatchFaceI {
 public:
  explicit DispatchFace(log_LogManagerC& manager) : manager_(manager) {}
  void* dispatchInterface() override { return static_cast<IDispatch*>(this); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return manager_.QueryInterface(reinterpret_cast<const log_GuidC&>(iid), out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return manager_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return manager_.Release(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return TYPE_E_LIBNOTREGISTERED;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return TYPE_E_LIBNOTREGISTERED;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return TYPE_E_LIBNOTREGISTERED;
  }

 private:
  log_LogManagerC& manager_;
};

}  // namespace

log_DispatchFaceI* createLogDispatchFace(log_LogManagerC& manager) { return new DispatchFace(manager); }
