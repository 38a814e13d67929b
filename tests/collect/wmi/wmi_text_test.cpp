#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "collect/wmi/wmi_errors.h"
#include "collect/wmi/wmi_value_text.h"
#include "wmi/fake_wmi.h"

namespace {

using namespace wmi_test;

TEST(WmiErrorName, NamesThePublishedCodesAndHexForTheRest) {
  const struct {
    uint32_t code;
    const char* name;
  } cases[] = {
      {0, "WBEM_NO_ERROR/WBEM_S_NO_ERROR/WBEM_S_SAME"},
      {1, "WBEM_S_FALSE"},
      {0x40001, "WBEM_S_ALREADY_EXISTS"},
      {0x40004, "WBEM_S_TIMEDOUT"},
      {0x40006, "WBEM_OPERATION_CANCELLED"},
      {0x40008, "WBEM_S_DUPLICATE_OBJECTS"},
      {0x40009, "0x40009"},
      {0x80041001, "WBEM_E_FAILED"},
      {0x8004100E, "WBEM_E_INVALID_NAMESPACE"},
      {0x80041010, "WBEM_E_INVALID_CLASS"},
      {0x80041024, "WBEM_E_PROVIDER_NOT_CAPABLE"},
      {0x80041039, "WBEM_E_PARAMETER_ID_ON_RETVAL"},
      {0x8004103A, "WBEM_E_INVALID_OBJECT_PATH"},
      {0x8004103B, "0x8004103b"},
      {0x80041000, "0x80041000"},
      {0x80041064, "WBEM_E_LOCAL_CREDENTIALS"},
      {0x80042001, "WBEMESS_E_REGISTRATION_TOO_BROAD"},
      {0x80042002, "WBEMESS_E_REGISTRATION_TOO_PRECISE"},
      {0x80070005, "Access is denied"},
      {0x800706BA, "The RPC server is unavailable"},
      {0x8007000E, "0x8007000e"},
      {0xFFFFFFFF, "0xffffffff"},
  };
  for (const auto& c : cases) EXPECT_EQ(wmiErrorName(c.code).toUtf8(), c.name) << std::hex << c.code;
}

TEST(WmiErrorName, EveryErrorCodeOfTheRangeHasItsOwnName) {
  std::set<std::string> names;
  for (uint32_t code = 0x80041001; code <= 0x8004103A; ++code) {
    const std::string name = wmiErrorName(code).toUtf8();
    EXPECT_EQ(name.rfind("WBEM_E_", 0), 0u) << std::hex << code;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 58u);
}

TEST(VariantToText, ConvertsEachTypeAsTheLayerReadsIt) {
  auto real = [](uint16_t type, double d) {
    wmi::VariantC v;
    v.type = type;
    v.real = d;
    return v;
  };
  auto array = [](uint16_t elementType, std::vector<wmi::VariantC> items) {
    wmi::VariantC v;
    v.type = static_cast<uint16_t>(elementType | wmi::kVtArray);
    v.elements = std::move(items);
    return v;
  };
  const struct Case {
    const char* what;
    wmi::VariantC value;
    bool ok;
    const char* text;
  } cases[] = {
      {"empty", number(wmi::kVtEmpty, 0), true, ""},
      {"null", number(wmi::kVtNull, 0), true, ""},
      {"I2", number(wmi::kVtI2, -12), true, "-12"},
      {"I4", number(wmi::kVtI4, -2147483647 - 1), true, "-2147483648"},
      {"I1", number(wmi::kVtI1, -128), true, "-128"},
      {"UI1", number(wmi::kVtUi1, 255), true, "255"},
      {"UI2", number(wmi::kVtUi2, 65535), true, "65535"},
      {"UI4", number(wmi::kVtUi4, 4294967295), true, "4294967295"},
      {"R8 2.5", real(wmi::kVtR8, 2.5), true, "    2.5000"},
      {"R4 -1.25", real(wmi::kVtR4, -1.25), true, "   -1.2500"},
      {"R8 wider than 10", real(wmi::kVtR8, 123456789.0), true, "123456789.0000"},
      {"R8 largest", real(wmi::kVtR8, std::numeric_limits<double>::max()), true, nullptr},
      {"BSTR", bstr("caf\xC3\xA9"), true, "caf\xC3\xA9"},
      {"BOOL true", number(wmi::kVtBool, -1), true, "TRUE"},
      {"BOOL false", number(wmi::kVtBool, 0), true, "FALSE"},
      {"DATE", real(wmi::kVtDate, 45000.0), false, ""},
      {"CY", number(wmi::kVtCy, 5), false, ""},
      {"I8", number(wmi::kVtI8, 5), false, ""},
      {"UNKNOWN", number(wmi::kVtUnknown, 0), false, ""},
      {"array of I4", array(wmi::kVtI4, {number(wmi::kVtI4, 1), number(wmi::kVtI4, -2)}), true, "1,-2"},
      {"array of BSTR", array(wmi::kVtBstr, {bstr("a"), bstr(""), bstr("c")}), true, "a,,c"},
      {"empty array", array(wmi::kVtUi4, {}), true, ""},
      {"array of DATE", array(wmi::kVtDate, {real(wmi::kVtDate, 1)}), false, ""},
      {"empty array of UNKNOWN", array(wmi::kVtUnknown, {}), false, ""},
      {"array of VARIANT", array(wmi::kVtVariant, {number(wmi::kVtI4, 7), bstr("x"), number(wmi::kVtBool, 0)}), true,
       "7,x,FALSE"},
      {"array of VARIANT holding a DATE", array(wmi::kVtVariant, {number(wmi::kVtI4, 7), real(wmi::kVtDate, 1)}), false,
       ""},
  };
  for (const Case& c : cases) {
    StringC text = StringC::fromUtf8("left over");
    EXPECT_EQ(variantToText(c.value, text), c.ok) << c.what;
    if (c.text) EXPECT_EQ(text.toUtf8(), c.text) << c.what;
    else EXPECT_EQ(text.toUtf8().size(), 309u + 5u) << c.what;
  }
}

TEST(CimDateTime, ReRendersValidDatesOfTheKeptYears) {
  const struct Case {
    const char* cim;
    const char* iso;  // null: kept as it is
  } cases[] = {
      {"20240115083005.000000+060", "20240115T083005+0100"},
      {"20240115083005.000000+000", "20240115T083005Z"},
      {"20240115083005.000000-300", "20240115T083005-0500"},
      {"20240115083005.000000+330", "20240115T083005+0530"},
      {"20240715083005.000000-030", "20240715T083005-0030"},
      {"19700101000000.000000+000", "19700101T000000Z"},
      {"20371231235959.999999+000", "20371231T235959Z"},
      {"16010101000000.000000+000", nullptr},  // never launched: outside 1970-2037
      {"19691231235959.000000+000", nullptr},
      {"20380101000000.000000+000", nullptr},
      {"20240230083005.000000+000", nullptr},  // 30 February
      {"20241315083005.000000+000", nullptr},
      {"20240115243005.000000+000", nullptr},
      {"20240115086005.000000+000", nullptr},
      {"2024011508300", nullptr},
      {"20240115083005.000000", nullptr},       // no offset
      {"20240115083005.000000*060", nullptr},
      {"2024011508300*.000000+000", nullptr},
      {"20240115083005.000000+1440", nullptr},  // a day or more
      {"20240115083005.000000+000000000001440", nullptr},
      {"20240115083005.000000+00", "20240115T083005Z"},  // as Wine's WMI writes it
      {"20240115083005.000000-60", "20240115T083005-0100"},
      {"20240115083005.000000+0060", "20240115T083005+0100"},
      {"20240115083005.000000+", nullptr},
      {"20240115083005.000000+06x", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    std::string out = "untouched";
    EXPECT_EQ(cimDateTimeToIso(c.cim, out), c.iso != nullptr) << c.cim;
    EXPECT_EQ(out, c.iso ? c.iso : "untouched") << c.cim;
  }
}

}  // namespace
