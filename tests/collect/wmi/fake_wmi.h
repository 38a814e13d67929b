// A WMI platform of the test's own: what the layer asks of COM and WMI is
// recorded, and every step answers what the test says. One fake at a time
// (the platform table holds plain functions).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "collect/wmi/wmi_platform.h"
#include "platform/hresult.h"

namespace wmi_test {

namespace wmi = platform::wmi;

struct FakeProperty {
  wmi::VariantC value;
  int32_t cimType = wmi::kCimString;
  uint32_t getResult = 0;
};
using FakeObject = std::map<std::u16string, FakeProperty>;

struct BlanketSeen {
  uint32_t authnService, authzService, authnLevel, impLevel, capabilities;
  bool hasIdentity;
  wmi::AuthIdentityC identity;
};

struct FakeWmiState {
  // Answers.
  uint32_t comInitializeResult = 0;
  uint32_t securityResult = 0;
  uint32_t locatorResult = 0;
  uint32_t connectResult = 0;
  uint32_t servicesBlanketResult = 0;
  uint32_t enumResult = 0;
  uint32_t enumBlanketResult = 0;
  uint32_t namesResult = 0;
  std::vector<FakeObject> objects;
  // Next() answers this instead of the object at index failNextAt.
  size_t failNextAt = static_cast<size_t>(-1);
  uint32_t nextFailure = platform::kWbemEFailed;
  std::vector<std::string> connectProblems;

  // What was asked.
  std::vector<std::string> events;  // "com-init", "security", "connect", "services-released", ...
  std::u16string path;
  bool userGiven = false, passwordGiven = false;
  std::u16string user, password;
  std::vector<BlanketSeen> blankets;
  std::u16string className;
  int32_t enumFlags = -1;
  std::vector<int32_t> nextTimeouts;
  uint32_t securityAuthnLevel = 0, securityImpLevel = 0;
};

// Installs `state` as the fake's (until the next call) and returns the
// platform table that uses it.
const WmiPlatformC& fakeWmi(FakeWmiState& state);

wmi::VariantC bstr(const char* utf8);
wmi::VariantC number(uint16_t type, int64_t value);

}  // namespace wmi_test
