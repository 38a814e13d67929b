#include "platform/mof_compiler.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace mof = platform::mof;
namespace wmi = platform::wmi;
using wmi::VariantC;

VariantC integer(uint16_t type, int64_t value) {
  VariantC v;
  v.type = type;
  v.integer = value;
  return v;
}
VariantC real(uint16_t type, double value) {
  VariantC v;
  v.type = type;
  v.real = value;
  return v;
}
VariantC text(std::u16string value) {
  VariantC v;
  v.type = wmi::kVtBstr;
  v.text = std::move(value);
  return v;
}
VariantC null() { return integer(wmi::kVtNull, 0); }
VariantC array(uint16_t elementType, std::vector<VariantC> elements) {
  VariantC v;
  v.type = static_cast<uint16_t>(wmi::kVtArray | elementType);
  v.elements = std::move(elements);
  return v;
}

std::string show(const VariantC& v) {
  std::string out =
      "{vt " + std::to_string(v.type) + ", " + std::to_string(v.integer) + ", " + std::to_string(v.real) + ", \"";
  for (char16_t c : v.text) out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "\\u" + std::to_string(c);
  out += "\"";
  if (!v.elements.empty()) {
    out += ", [";
    for (const auto& e : v.elements) out += show(e) + " ";
    out += "]";
  }
  return out + "}";
}

bool same(const VariantC& a, const VariantC& b) {
  if (a.type != b.type || a.integer != b.integer || a.real != b.real || a.text != b.text ||
      a.elements.size() != b.elements.size())
    return false;
  for (size_t i = 0; i < a.elements.size(); ++i)
    if (!same(a.elements[i], b.elements[i])) return false;
  return true;
}

::testing::AssertionResult sameVariant(const VariantC& actual, const VariantC& expected) {
  if (same(actual, expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << show(actual) << ", expected " << show(expected);
}

using Problems = std::vector<std::string>;

// The value of `property` in the `index`th instance of namespace `ns`; a
// failure (and VT_EMPTY) when there is none.
VariantC valueOf(const mof::RepositoryC& r, const std::string& ns, size_t index, const std::string& property) {
  const mof::NamespaceC* n = r.findNamespace(ns);
  if (!n) {
    ADD_FAILURE() << "no namespace " << ns;
    return {};
  }
  if (index >= n->instances.size()) {
    ADD_FAILURE() << "no instance " << index << " in " << ns;
    return {};
  }
  const mof::InstanceC& i = n->instances[index];
  const int32_t p = i.cls->find(property);
  if (p < 0) {
    ADD_FAILURE() << "no property " << property;
    return {};
  }
  return i.values[static_cast<size_t>(p)];
}

size_t instanceCount(const mof::RepositoryC& r, const std::string& ns = "root\\default") {
  const mof::NamespaceC* n = r.findNamespace(ns);
  return n ? n->instances.size() : 0;
}

std::string fixture(const std::string& name) {
  return test_support::readFile(std::string(VDI_MOF_FIXTURES) + "/" + name);
}

// ---------------------------------------------------------------------------
// Values: every CIM type in the VARIANT type WMI gives for it.

struct ValueCase {
  const char* declaration;  // of property "p"
  const char* literal;
  int32_t cimType;
  VariantC expected;
};

void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.declaration << " = " << c.literal; }

class MofValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(MofValues, AreStoredAsWmiGivesThem) {
  const ValueCase& c = GetParam();
  mof::RepositoryC r;
  r.compile("t.mof", std::string("class Ref {};\nclass C { ") + c.declaration +
                         "; };\ninstance of C { p = " + c.literal + "; };\n");
  EXPECT_EQ(r.problems(), Problems{});
  const mof::ClassC* cls = r.findNamespace("root\\default")->findClass("C");
  ASSERT_NE(cls, nullptr);
  ASSERT_EQ(cls->properties.size(), 1u);
  EXPECT_EQ(cls->properties[0].cimType, c.cimType);
  EXPECT_TRUE(sameVariant(cls->properties[0].value, null())) << "a declaration without a default is VT_NULL";
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "p"), c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    EveryType, MofValues,
    ::testing::Values(
        ValueCase{"sint8 p", "-128", wmi::kCimSint8, integer(wmi::kVtI2, -128)},
        ValueCase{"sint8 p", "127", wmi::kCimSint8, integer(wmi::kVtI2, 127)},
        ValueCase{"uint8 p", "255", wmi::kCimUint8, integer(wmi::kVtUi1, 255)},
        ValueCase{"uint8 p", "0x0", wmi::kCimUint8, integer(wmi::kVtUi1, 0)},
        ValueCase{"sint16 p", "-32768", wmi::kCimSint16, integer(wmi::kVtI2, -32768)},
        ValueCase{"uint16 p", "65535", wmi::kCimUint16, integer(wmi::kVtI4, 65535)},
        ValueCase{"sint32 p", "-2147483648", wmi::kCimSint32, integer(wmi::kVtI4, -2147483648LL)},
        ValueCase{"sint32 p", "+017", wmi::kCimSint32, integer(wmi::kVtI4, 15)},
        ValueCase{"sint32 p", "-0x7fffFFFF", wmi::kCimSint32, integer(wmi::kVtI4, -2147483647)},
        ValueCase{"uint32 p", "4294967295", wmi::kCimUint32, integer(wmi::kVtI4, -1)},
        ValueCase{"uint32 p", "4000000000", wmi::kCimUint32, integer(wmi::kVtI4, -294967296)},
        ValueCase{"uint32 p", "-0", wmi::kCimUint32, integer(wmi::kVtI4, 0)},
        ValueCase{"sint64 p", "-9223372036854775808", wmi::kCimSint64, text(u"-9223372036854775808")},
        ValueCase{"sint64 p", "0x10", wmi::kCimSint64, text(u"16")},
        ValueCase{"uint64 p", "18446744073709551615", wmi::kCimUint64, text(u"18446744073709551615")},
        ValueCase{"real32 p", "1.5", wmi::kCimReal32, real(wmi::kVtR4, 1.5)},
        ValueCase{"real32 p", "0.1", wmi::kCimReal32, real(wmi::kVtR4, static_cast<float>(0.1))},
        ValueCase{"real64 p", "-2.5e3", wmi::kCimReal64, real(wmi::kVtR8, -2500)},
        ValueCase{"real64 p", ".25", wmi::kCimReal64, real(wmi::kVtR8, 0.25)},
        ValueCase{"real64 p", "7", wmi::kCimReal64, real(wmi::kVtR8, 7)},
        ValueCase{"boolean p", "TRUE", wmi::kCimBoolean, integer(wmi::kVtBool, -1)},
        ValueCase{"Boolean p", "false", wmi::kCimBoolean, integer(wmi::kVtBool, 0)},
        ValueCase{"char16 p", "'A'", wmi::kCimChar16, integer(wmi::kVtI2, 65)},
        ValueCase{"char16 p", "'\\x263a'", wmi::kCimChar16, integer(wmi::kVtI2, 0x263A)},
        ValueCase{"char16 p", "'\\''", wmi::kCimChar16, integer(wmi::kVtI2, '\'')},
        ValueCase{"char16 p", "65535", wmi::kCimChar16, integer(wmi::kVtI2, -1)},
        ValueCase{"string p", R"("a\tb\"\\\n\r\x41")", wmi::kCimString, text(u"a\tb\"\\\n\rA")},
        ValueCase{"String p", "\"caf\xC3\xA9 \xF0\x9F\x98\x80\"", wmi::kCimString, text(u"caf\u00E9 \U0001F600")},
        ValueCase{"string p", "\"ab\" \"c\"\n  \"d\"", wmi::kCimString, text(u"abcd")},
        ValueCase{"string p", "\"\"", wmi::kCimString, text(u"")},
        ValueCase{"datetime p", "\"20240115083005.000000+060\"", wmi::kCimDatetime, text(u"20240115083005.000000+060")},
        ValueCase{"datetime p", "\"2024****083005.******-300\"", wmi::kCimDatetime, text(u"2024****083005.******-300")},
        ValueCase{"datetime p", "\"00000001000000.000000:000\"", wmi::kCimDatetime, text(u"00000001000000.000000:000")},
        ValueCase{"Ref ref p", R"("\\\\.\\root\\default:Ref.Name=\"x\"")", wmi::kCimReference,
                  text(u"\\\\.\\root\\default:Ref.Name=\"x\"")},
        ValueCase{"uint32 p", "null", wmi::kCimUint32, null()},
        ValueCase{"string p[]", "NULL", wmi::kCimString | wmi::kCimFlagArray, null()},
        ValueCase{"uint32 p[]", "{1, 4294967295}", wmi::kCimUint32 | wmi::kCimFlagArray,
                  array(wmi::kVtI4, {integer(wmi::kVtI4, 1), integer(wmi::kVtI4, -1)})},
        ValueCase{"uint8 p[4]", "{ }", wmi::kCimUint8 | wmi::kCimFlagArray, array(wmi::kVtUi1, {})},
        ValueCase{"string p[]", "{\"x\", \"y\" \"z\"}", wmi::kCimString | wmi::kCimFlagArray,
                  array(wmi::kVtBstr, {text(u"x"), text(u"yz")})},
        ValueCase{"boolean p[]", "{true, FALSE}", wmi::kCimBoolean | wmi::kCimFlagArray,
                  array(wmi::kVtBool, {integer(wmi::kVtBool, -1), integer(wmi::kVtBool, 0)})},
        ValueCase{"sint64 p[]", "{-1, 2}", wmi::kCimSint64 | wmi::kCimFlagArray,
                  array(wmi::kVtBstr, {text(u"-1"), text(u"2")})},
        ValueCase{"real32 p[]", "{-1, 0.5e1}", wmi::kCimReal32 | wmi::kCimFlagArray,
                  array(wmi::kVtR4, {real(wmi::kVtR4, -1), real(wmi::kVtR4, 5)})}));

// ---------------------------------------------------------------------------
// Bad values: reported with the property, the type and the literal; the
// value is skipped, and the instance goes on with its next property.

struct BadValueCase {
  const char* declaration;
  const char* literal;
  const char* problem;
};

void PrintTo(const BadValueCase& c, std::ostream* out) { *out << c.declaration << " = " << c.literal; }

class MofBadValues : public ::testing::TestWithParam<BadValueCase> {};

TEST_P(MofBadValues, AreReportedAndSkipped) {
  const BadValueCase& c = GetParam();
  mof::RepositoryC r;
  r.compile("t.mof", std::string("class C { ") + c.declaration + "; uint32 q; };\ninstance of C { p = " + c.literal +
                         ";\n q = 7; };\n");
  EXPECT_EQ(r.problems(), Problems{std::string("t.mof:2: ") + c.problem});
  ASSERT_EQ(instanceCount(r), 1u);
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "p"), null()));
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "q"), integer(wmi::kVtI4, 7)));
}

INSTANTIATE_TEST_SUITE_P(
    RangesAndTypes, MofBadValues,
    ::testing::Values(
        BadValueCase{"sint8 p", "128", R"(value of "p" is out of range for sint8: 128)"},
        BadValueCase{"sint8 p", "-129", R"(value of "p" is out of range for sint8: -129)"},
        BadValueCase{"uint8 p", "256", R"(value of "p" is out of range for uint8: 256)"},
        BadValueCase{"uint8 p", "-1", R"(value of "p" is out of range for uint8: -1)"},
        BadValueCase{"sint16 p", "32768", R"(value of "p" is out of range for sint16: 32768)"},
        BadValueCase{"sint16 p", "-32769", R"(value of "p" is out of range for sint16: -32769)"},
        BadValueCase{"uint16 p", "65536", R"(value of "p" is out of range for uint16: 65536)"},
        BadValueCase{"uint16 p", "-1", R"(value of "p" is out of range for uint16: -1)"},
        BadValueCase{"sint32 p", "2147483648", R"(value of "p" is out of range for sint32: 2147483648)"},
        BadValueCase{"sint32 p", "-2147483649", R"(value of "p" is out of range for sint32: -2147483649)"},
        BadValueCase{"uint32 p", "4294967296", R"(value of "p" is out of range for uint32: 4294967296)"},
        BadValueCase{"uint32 p", "-1", R"(value of "p" is out of range for uint32: -1)"},
        BadValueCase{"sint64 p", "9223372036854775808",
                     R"(value of "p" is out of range for sint64: 9223372036854775808)"},
        BadValueCase{"sint64 p", "-9223372036854775809",
                     R"(value of "p" is out of range for sint64: -9223372036854775809)"},
        BadValueCase{"uint64 p", "18446744073709551616",
                     R"(value of "p" is out of range for uint64: 18446744073709551616)"},
        BadValueCase{"uint64 p", "-1", R"(value of "p" is out of range for uint64: -1)"},
        BadValueCase{"char16 p", "65536", R"(value of "p" is out of range for char16: 65536)"},
        BadValueCase{"real32 p", "1e39", R"(value of "p" is out of range for real32: 1e39)"},
        BadValueCase{"real64 p", "-1e309", R"(value of "p" is out of range for real64: -1e309)"},
        BadValueCase{"uint32 p", "1.5", R"(value of "p" is not a uint32: 1.5)"},
        BadValueCase{"uint32 p", "\"5\"", R"(value of "p" is not a uint32: "5")"},
        BadValueCase{"uint32 p", "0x", R"(value of "p" is not a uint32: 0x)"},
        BadValueCase{"sint32 p", "08", R"(value of "p" is not a sint32: 08)"},
        BadValueCase{"uint8 p", "12abc", R"(value of "p" is not a uint8: 12abc)"},
        BadValueCase{"uint32 p", "Five", R"(value of "p" is not a uint32: Five)"},
        BadValueCase{"uint32 p", "-", R"(value of "p" is not a uint32: -)"},
        BadValueCase{"uint32 p", "", R"(value of "p" is missing)"},
        BadValueCase{"real64 p", "1.2.3", R"(value of "p" is not a real64: 1.2.3)"},
        BadValueCase{"boolean p", "1", R"(value of "p" is not a boolean: 1)"},
        BadValueCase{"string p", "5", R"(value of "p" is not a string: 5)"},
        BadValueCase{"string p", "'c'", R"(value of "p" is not a string: 'c')"},
        BadValueCase{"char16 p", "\"c\"", R"(value of "p" is not a char16: "c")"},
        BadValueCase{"Other ref p", "7", R"(value of "p" is not a reference: 7)"},
        BadValueCase{"Other ref p", "$alias", R"(value of "p" is not a reference: $alias)"},
        BadValueCase{"datetime p", "\"2024\"", R"(value of "p" is not a datetime: "2024")"},
        BadValueCase{"datetime p", "\"20240115083005.000000 060\"",
                     R"(value of "p" is not a datetime: "20240115083005.000000 060")"},
        BadValueCase{"datetime p", "\"20240115083005,000000+060\"",
                     R"(value of "p" is not a datetime: "20240115083005,000000+060")"},
        BadValueCase{"datetime p", "\"2024011508300X.000000+060\"",
                     R"(value of "p" is not a datetime: "2024011508300X.000000+060")"},
        BadValueCase{"datetime p", "\"20240115083005.000000+0600\"",
                     R"(value of "p" is not a datetime: "20240115083005.000000+0600")"},
        BadValueCase{"uint32 p", "\"0123456789012345678901234567890123456789ABC\"",
                     R"(value of "p" is not a uint32: "0123456789012345678901234567890123456789...")"},
        BadValueCase{"uint32 p", "{1}", R"(value of "p" is not a uint32: an array)"},
        BadValueCase{"uint32 p[]", "5", R"(value of "p" is not an array of uint32: 5)"},
        BadValueCase{"uint32 p[]", "{1, -1}", R"(value of "p" is out of range for uint32: -1)"},
        BadValueCase{"uint32 p[]", "{1, null}", R"(value of "p" holds null inside an array; skipped)"},
        BadValueCase{"uint32 p[]", "{{1}, 2}", R"(value of "p" holds an array inside an array; skipped)"},
        BadValueCase{"uint32 p[]", "{1 2}", R"(unexpected number 2; expected ',' or '}' in the value of "p")"},
        BadValueCase{"uint32 p[]", "{1, }", R"(value of "p" is missing)"},
        BadValueCase{"uint32 p[]", "{1, 2", R"(unexpected ';'; expected ',' or '}' in the value of "p")"}));

// Not a value problem: a string that is long but well-typed is kept whole.
TEST(MofCompiler, LongStringsAreKeptWhole) {
  mof::RepositoryC r;
  r.compile("t.mof", "class C { string s = \"" + std::string(400, 'x') + "\"; };");
  EXPECT_EQ(r.problems(), Problems{});
  EXPECT_TRUE(sameVariant(r.findNamespace("root\\default")->findClass("C")->properties[0].value,
                          text(std::u16string(400, u'x'))));
}

// ---------------------------------------------------------------------------
// Defaults, inheritance and names.

TEST(MofCompiler, DefaultsFillWhatAnInstanceDoesNotSet) {
  mof::RepositoryC r;
  r.compile("t.mof",
            "class C { uint32 a = 5; string b; string c[] = {\"x\"}; };\n"
            "instance of C { };\n"
            "instance of C { a = null; b = \"set\"; };\n");
  EXPECT_EQ(r.problems(), Problems{});
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "a"), integer(wmi::kVtI4, 5)));
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "b"), null()));
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "c"), array(wmi::kVtBstr, {text(u"x")})));
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 1, "a"), null())) << "an explicit null replaces the default";
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 1, "b"), text(u"set")));
}

TEST(MofCompiler, SubclassesInheritFirstAndMayOverrideDefaults) {
  mof::RepositoryC r;
  r.compile("t.mof",
            "class Base { string Name; uint32 Size = 1; };\n"
            "class Mid : Base { uint32 Size = 2; boolean Extra; };\n"
            "class Leaf : Mid { sint8 Own = -3; };\n"
            "instance of Leaf { Name = \"leaf\"; };\n");
  EXPECT_EQ(r.problems(), Problems{});
  const mof::NamespaceC* ns = r.findNamespace("root\\default");
  const mof::ClassC* leaf = ns->findClass("Leaf");
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->superclass, "Mid");
  std::vector<std::string> names;
  for (const auto& p : leaf->properties) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Name", "Size", "Extra", "Own"}));
  EXPECT_TRUE(sameVariant(ns->findClass("Base")->properties[1].value, integer(wmi::kVtI4, 1)))
      << "an override leaves the superclass alone";
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "Size"), integer(wmi::kVtI4, 2)));
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "Own"), integer(wmi::kVtI2, -3)));
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "Name"), text(u"leaf")));
  EXPECT_EQ(ns->instances[0].cls, leaf);
  EXPECT_EQ(ns->instances[0].file, "t.mof");
  EXPECT_EQ(ns->instances[0].line, 4u);
}

TEST(MofCompiler, NamesAndKeywordsIgnoreCase) {
  mof::RepositoryC r;
  r.compile("t.mof",
            "CLASS Tnw_Base { UInt32 Count; STRING Label; };\n"
            "Class tnw_leaf : TNW_BASE { };\n"
            "Instance OF TNW_LEAF { count = 3; LABEL = \"x\"; };\n");
  EXPECT_EQ(r.problems(), Problems{});
  const mof::NamespaceC* ns = r.findNamespace("ROOT\\Default");
  ASSERT_NE(ns, nullptr);
  const mof::ClassC* leaf = ns->findClass("Tnw_Leaf");
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->name, "tnw_leaf") << "names are kept as declared";
  EXPECT_EQ(leaf->find("cOuNt"), 0);
  EXPECT_EQ(leaf->find("label"), 1);
  EXPECT_EQ(leaf->find("Counts"), -1);
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "Count"), integer(wmi::kVtI4, 3)));
}

TEST(MofCompiler, CommentsAndQualifiersAreReadAndIgnored) {
  mof::RepositoryC r;
  r.compile("t.mof",
            "// a comment with \"quotes\" and { braces\n"
            "/* a comment\n"
            "   over lines; class Hidden {}; */\n"
            "[Description(\"x\"), Values{\"a\", \"b\"}: ToSubclass, Map([1], (2))] class /* here */ C {\n"
            "  [key, MaxLen(10)] string Name; // trailing\n"
            "  [Implemented, Static] uint32 Run([in, Description(\"p\")] string x, [out] uint32 y[]);\n"
            "};\n"
            "qualifier Description : string = null, scope(any);\n"
            "#pragma classflags(\"forceupdate\", \"updateonly\")\n"
            "#pragma autorecover\n"
            "[dynamic] instance of C { [key] Name = \"n\"; Extra = 1; };\n");
  EXPECT_EQ(r.problems(), Problems{"t.mof:11: property \"Extra\" is not declared by class \"C\"; skipped"})
      << "lines are counted through comments";
  const mof::NamespaceC* ns = r.findNamespace("root\\default");
  EXPECT_EQ(ns->findClass("Hidden"), nullptr);
  ASSERT_NE(ns->findClass("C"), nullptr);
  EXPECT_EQ(ns->findClass("C")->properties.size(), 1u) << "a method is no property";
  EXPECT_TRUE(sameVariant(valueOf(r, "root\\default", 0, "Name"), text(u"n")));
}

// ---------------------------------------------------------------------------
// Namespaces.

struct PragmaCase {
  const char* pragmas;
  const char* expected;  // where the class after them lands
};

class MofPragmas : public ::testing::TestWithParam<PragmaCase> {};

TEST_P(MofPragmas, PlaceTheClassesThatFollow) {
  mof::RepositoryC r;
  r.compile("t.mof", std::string(GetParam().pragmas) + "\nclass K { };\n");
  EXPECT_EQ(r.problems(), Problems{});
  const mof::NamespaceC* ns = r.findNamespace(GetParam().expected);
  ASSERT_NE(ns, nullptr);
  EXPECT_NE(ns->findClass("K"), nullptr);
  std::string parent = GetParam().expected;
  while (parent.find('\\') != std::string::npos) {
    parent.erase(parent.rfind('\\'));
    EXPECT_TRUE(r.namespaceExists(parent)) << parent;
    EXPECT_EQ(r.findNamespace(parent)->findClass("K"), nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, MofPragmas,
    ::testing::Values(PragmaCase{"", "root\\default"}, PragmaCase{R"(#pragma namespace("\\\\.\\root\\a"))", "root\\a"},
                      PragmaCase{R"(#pragma namespace("root\\a"))", "root\\a"},
                      PragmaCase{R"(#pragma namespace("//./root/a/b"))", "root\\a\\b"},
                      PragmaCase{R"(#pragma namespace("\\\\SERVER\\root\\a"))", "root\\a"},
                      PragmaCase{R"(#pragma namespace("\\root\\a"))", "root\\a"},
                      PragmaCase{R"(#pragma namespace("b"))", "root\\default\\b"},
                      PragmaCase{"#pragma namespace(\"\\\\\\\\.\\\\root\\\\a\")\n#pragma namespace(\"b\\\\c\")",
                                 "root\\a\\b\\c"},
                      PragmaCase{"#pragma namespace(\"root\\\\a\")\n#pragma namespace(\"root\\\\x\")", "root\\x"},
                      PragmaCase{R"(#PRAGMA NAMESPACE ("ROOT" "\\A"))", "root\\a"},
                      PragmaCase{R"(#pragma namespace("root\\\\a\\"))", "root\\a"}));

TEST(MofCompiler, NamespacePathsInEveryFormFindTheSameNamespace) {
  mof::RepositoryC r;
  EXPECT_TRUE(r.namespaceExists("root")) << "root exists in an empty repository";
  EXPECT_FALSE(r.namespaceExists("root\\default"));
  EXPECT_FALSE(r.namespaceExists(""));
  r.compile("t.mof",
            "#pragma namespace(\"\\\\\\\\.\\\\Root\\\\Vendor\\\\AppV\")\n"
            "#pragma namespace(\"\\\\\\\\.\\\\root\\\\empty\")\n");
  EXPECT_EQ(r.problems(), Problems{});
  const mof::NamespaceC* ns = r.findNamespace("root\\vendor\\appv");
  ASSERT_NE(ns, nullptr);
  EXPECT_EQ(ns->name, "Root\\Vendor\\AppV");
  for (const char* form :
       {"\\\\.\\root\\vendor\\appv", "//./root/vendor/appv", "ROOT/VENDOR/APPV", "root\\\\vendor\\appv\\"})
    EXPECT_EQ(r.findNamespace(form), ns) << form;
  EXPECT_TRUE(r.namespaceExists("root\\vendor")) << "a namespace above a declared one exists";
  EXPECT_TRUE(r.namespaceExists("root\\empty")) << "a pragma declares its namespace";
  EXPECT_FALSE(r.namespaceExists("root\\empty\\below"));
  EXPECT_FALSE(r.namespaceExists("vendor"));
  EXPECT_EQ(r.findNamespace("root")->name, "root");
}

TEST(MofCompiler, NamespacesListsEveryNamespaceByALookupName) {
  mof::RepositoryC r;
  EXPECT_EQ(r.namespaces(), std::vector<std::string>{"root"});
  r.compile("t.mof",
            "class D {};\n"
            "#pragma namespace(\"x\")\n"
            "class X {};\n"
            "#pragma namespace(\"\\\\\\\\.\\\\Root\\\\B\\\\C\")\n");
  EXPECT_EQ(r.problems(), Problems{});
  EXPECT_EQ(r.namespaces(),
            (std::vector<std::string>{"root", "Root\\B", "Root\\B\\C", "root\\default", "root\\default\\x"}))
      << "a relative pragma resolves against root\\default";
  for (const std::string& name : r.namespaces()) {
    const mof::NamespaceC* ns = r.findNamespace(name);
    ASSERT_NE(ns, nullptr) << name;
    EXPECT_EQ(ns->name, name);
  }
  EXPECT_NE(r.findNamespace("root\\default\\x")->findClass("X"), nullptr);
}

TEST(MofCompiler, NamespacePathsHaveALengthLimit) {
  const std::string atLimit = "root\\" + std::string(mof::kMaxNamespaceLength - 5, 'a');
  mof::RepositoryC r;
  r.compile("t.mof", "#pragma namespace(\"root\\\\" + std::string(mof::kMaxNamespaceLength - 5, 'a') +
                         "\")\nclass A {};\n#pragma namespace(\"b\")\nclass B {};\n");
  EXPECT_EQ(r.problems(), Problems{"t.mof:3: namespace path longer than 1024 characters; ignored"});
  ASSERT_NE(r.findNamespace(atLimit), nullptr);
  EXPECT_NE(r.findNamespace(atLimit)->findClass("A"), nullptr);
  EXPECT_NE(r.findNamespace(atLimit)->findClass("B"), nullptr) << "the namespace stays the one before";
}

TEST(MofCompiler, EachFileStartsInRootDefault) {
  mof::RepositoryC r;
  r.compile("a.mof", "#pragma namespace(\"root\\\\a\")\nclass A {};\n");
  r.compile("b.mof", "class B {};\ninstance of A {};\n");
  EXPECT_EQ(r.problems(), Problems{"b.mof:2: instance of undeclared class \"A\"; refused"});
  EXPECT_NE(r.findNamespace("root\\a")->findClass("A"), nullptr);
  EXPECT_NE(r.findNamespace("root\\default")->findClass("B"), nullptr);
}

struct BadPragmaCase {
  const char* line;
  const char* problem;
};

class MofBadPragmas : public ::testing::TestWithParam<BadPragmaCase> {};

TEST_P(MofBadPragmas, AreReportedAndLeaveTheNamespaceAsItWas) {
  mof::RepositoryC r;
  r.compile("t.mof", "#pragma namespace(\"root\\\\a\")\n" + std::string(GetParam().line) + "\nclass K { };\n");
  EXPECT_EQ(r.problems(), Problems{std::string("t.mof:2: ") + GetParam().problem});
  ASSERT_TRUE(r.namespaceExists("root\\a"));
  EXPECT_NE(r.findNamespace("root\\a")->findClass("K"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, MofBadPragmas,
    ::testing::Values(
        BadPragmaCase{"#pragma namespace(root)", R"(#pragma namespace needs ("name"); ignored)"},
        BadPragmaCase{"#pragma namespace \"root\"", R"(#pragma namespace needs ("name"); ignored)"},
        BadPragmaCase{"#pragma namespace(\"root\\\\b\"", R"(#pragma namespace needs ("name"); ignored)"},
        BadPragmaCase{"#pragma namespace(\"\")", "#pragma namespace names no namespace; ignored"},
        BadPragmaCase{"#pragma namespace(\"\\\\\\\\.\\\\\")", "#pragma namespace names no namespace; ignored"},
        BadPragmaCase{R"(#pragma namespace("\\\\.\\other\\x"))", R"(namespace "other\x" is not below "root"; ignored)"},
        BadPragmaCase{"#pragma namespace(\"root\\\\b", "unterminated string"},
        BadPragmaCase{"#include \"x.mof\"", R"(unknown directive "#include"; skipped)"},
        BadPragmaCase{"# 5", R"('#' without "pragma"; skipped)"},
        BadPragmaCase{"#pragma", "#pragma without a name; skipped"}));

// ---------------------------------------------------------------------------
// Encodings.

TEST(MofCompiler, Utf16FileReadsAsItsUtf8Twin) {
  mof::RepositoryC utf8, utf16;
  utf8.compile("client.mof", fixture("client.mof"));
  utf16.compile("client.mof", fixture("client_utf16.mof"));
  EXPECT_EQ(utf8.problems(), Problems{});
  EXPECT_EQ(utf16.problems(), Problems{});
  const mof::NamespaceC* a = utf8.findNamespace("root\\vendor\\appv");
  const mof::NamespaceC* b = utf16.findNamespace("root\\vendor\\appv");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(a->instances.size(), 3u);
  ASSERT_EQ(b->instances.size(), a->instances.size());
  ASSERT_EQ(b->classes.size(), a->classes.size());
  for (size_t i = 0; i < a->instances.size(); ++i) {
    EXPECT_EQ(b->instances[i].cls->name, a->instances[i].cls->name);
    EXPECT_EQ(b->instances[i].line, a->instances[i].line);
    ASSERT_EQ(b->instances[i].values.size(), a->instances[i].values.size());
    for (size_t v = 0; v < a->instances[i].values.size(); ++v)
      EXPECT_TRUE(sameVariant(b->instances[i].values[v], a->instances[i].values[v])) << i << " " << v;
  }
  EXPECT_TRUE(sameVariant(valueOf(utf16, "root\\vendor\\appv", 2, "Name"), text(u"Caf\u00E9 Tools")));
  EXPECT_TRUE(sameVariant(valueOf(utf16, "root\\vendor\\appv", 0, "Size"), integer(wmi::kVtI4, -294967296)));
  EXPECT_TRUE(sameVariant(valueOf(utf16, "root\\vendor\\appv", 1, "Rank"), integer(wmi::kVtI4, -1)));
  EXPECT_TRUE(sameVariant(valueOf(utf16, "root\\vendor\\appv", 1, "Version"), text(u"1.0")));
}

std::string utf16le(std::u16string_view units) {
  std::string out = "\xFF\xFE";
  for (char16_t u : units) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  return out;
}

struct EncodingCase {
  const char* name;
  std::string bytes;  // declaring class C with string s
  std::u16string expected;
  Problems problems;
};

void PrintTo(const EncodingCase& c, std::ostream* out) { *out << c.name; }

class MofEncodings : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(MofEncodings, ReadTheStringsAsTheyAre) {
  mof::RepositoryC r;
  r.compile("t.mof", GetParam().bytes);
  EXPECT_EQ(r.problems(), GetParam().problems);
  const mof::NamespaceC* ns = r.findNamespace("root\\default");
  ASSERT_NE(ns, nullptr);
  ASSERT_NE(ns->findClass("C"), nullptr);
  EXPECT_TRUE(sameVariant(ns->findClass("C")->properties.at(0).value, text(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, MofEncodings,
    ::testing::Values(
        EncodingCase{"Utf8Bom",
                     "\xEF\xBB\xBF"
                     "class C { string s = \"\xC3\xA9\"; };",
                     u"\u00E9",
                     {}},
        EncodingCase{"Utf16Pair", utf16le(u"class C {\n string s = \"\U0001F600\"; };"), u"\U0001F600", {}},
        EncodingCase{"Utf16LoneHigh",
                     utf16le(u"class C {\n string s = \"a" + std::u16string(1, u'\xD800') + u"b\"; };"),
                     u"a\uFFFDb",
                     {"t.mof:2: unpaired UTF-16 surrogate read as U+FFFD"}},
        EncodingCase{"Utf16LoneLows",
                     utf16le(u"class C { string s = \"" + std::u16string(2, u'\xDC00') + u"\"; };"),
                     u"\uFFFD\uFFFD",
                     {"t.mof:1: unpaired UTF-16 surrogate read as U+FFFD"}},
        EncodingCase{
            "Utf16OddEnd",
            utf16le(u"class C { string s = \"x\"; };") + "\x20",
            u"x",
            {"t.mof:1: UTF-16 text ends in half a character, read as U+FFFD", "t.mof:1: unexpected character U+FFFD"}},
        EncodingCase{"IllFormedUtf8",
                     "class C { string s = \"a\xFF\xC3(\xE0\x80\xAF\"; };\n// \xFF\n",
                     u"a\uFFFD\uFFFD(\uFFFD",
                     {"t.mof:1: ill-formed UTF-8 read as U+FFFD", "t.mof:2: ill-formed UTF-8 read as U+FFFD"}},
        EncodingCase{"Identifier", "class C { string s = \"x\"; uint8 caf\xC3\xA9 = 1; };", u"x", {}}),
    [](const ::testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.name); });

TEST(MofCompiler, BigEndianUtf16IsRefused) {
  mof::RepositoryC r;
  r.compile("t.mof", std::string("\xFE\xFF\0c", 4));
  EXPECT_EQ(r.problems(), Problems{"t.mof:0: UTF-16 big-endian text is not read; skipped"});
}

// ---------------------------------------------------------------------------
// Malformed input: exact reports, sound defaults.

struct MalformedCase {
  const char* name;
  std::string text;
  Problems problems;
  std::vector<std::string> classes;  // what root\default holds afterwards
  size_t instances;
};

void PrintTo(const MalformedCase& c, std::ostream* out) { *out << c.name; }

class MofMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MofMalformed, IsReportedExactly) {
  const MalformedCase& c = GetParam();
  mof::RepositoryC r;
  r.compile("t.mof", c.text);
  EXPECT_EQ(r.problems(), c.problems);
  std::vector<std::string> classes;
  if (const mof::NamespaceC* ns = r.findNamespace("root\\default"))
    for (const auto& [key, cls] : ns->classes) classes.push_back(cls->name);
  EXPECT_EQ(classes, c.classes);
  EXPECT_EQ(instanceCount(r), c.instances);
}

const std::string k10000Braces(10000, '{');
const std::string k10000Brackets(10000, '[');
std::string nested(size_t depth) { return std::string(depth, '[') + "x" + std::string(depth, ']'); }

INSTANTIATE_TEST_SUITE_P(
    Inputs, MofMalformed,
    ::testing::Values(
        MalformedCase{"EmptyFile", "", {}, {}, 0}, MalformedCase{"OnlyBom", "\xEF\xBB\xBF", {}, {}, 0},
        MalformedCase{"OnlyComments", "// x\n/* y */", {}, {}, 0},
        MalformedCase{"UnterminatedString",
                      "class C { string s = \"abc;\n uint32 q; };\nclass D {};",
                      {"t.mof:1: unterminated string"},
                      {"C", "D"},
                      0},
        MalformedCase{"UnterminatedStringAtEnd",
                      "class C { string s; };\ninstance of C { s = \"abc",
                      {"t.mof:2: unterminated string", "t.mof:2: instance of \"C\" is not closed; refused"},
                      {"C"},
                      0},
        MalformedCase{
            "UnterminatedComment", "class C {};\n/* open\n\nclass D {};", {"t.mof:2: unterminated comment"}, {"C"}, 0},
        MalformedCase{"UnterminatedCharacter",
                      "class C { char16 c = 'x; };",
                      {"t.mof:1: unterminated character literal", "t.mof:1: class \"C\" is not closed; refused"},
                      {},
                      0},
        MalformedCase{
            "EmptyCharacter",
            "class C { char16 c = ''; char16 d = 'ab'; };",
            {"t.mof:1: empty character literal", "t.mof:1: character literal holds more than one UTF-16 unit"},
            {"C"},
            0},
        MalformedCase{"UnknownEscape",
                      "class C { string s = \"a\\qb\\x\"; };",
                      {"t.mof:1: unknown escape \"\\q\"; read as \"q\"",
                       "t.mof:1: escape \"\\x\" without hex digits; read as \"x\""},
                      {"C"},
                      0},
        MalformedCase{"UnknownType",
                      "class C { int x; uint32 y; object z = 5; };",
                      {"t.mof:1: unknown type \"int\" of property \"x\"; skipped",
                       "t.mof:1: unknown type \"object\" of property \"z\"; skipped"},
                      {"C"},
                      0},
        MalformedCase{"UndeclaredClass",
                      "instance of Foo { a = 1; };\ninstance of Foo { {{ };",
                      {"t.mof:1: instance of undeclared class \"Foo\"; refused",
                       "t.mof:2: instance of undeclared class \"Foo\"; refused"},
                      {},
                      0},
        MalformedCase{"UndeclaredProperty",
                      "class C { uint32 a; };\ninstance of C { b = {1, 2}; a = 2; };",
                      {"t.mof:2: property \"b\" is not declared by class \"C\"; skipped"},
                      {"C"},
                      1},
        MalformedCase{"SetTwice",
                      "class C { uint32 a; };\ninstance of C { a = 1;\n A = 2; };",
                      {"t.mof:3: property \"A\" is set twice; the later value skipped"},
                      {"C"},
                      1},
        MalformedCase{"DeclaredTwice",
                      "class C { uint32 a;\n string A; };",
                      {"t.mof:2: property \"A\" is declared twice in class \"C\"; the later one skipped"},
                      {"C"},
                      0},
        MalformedCase{"ChangedType",
                      "class B { uint32 a; };\nclass C : B { string a; };",
                      {"t.mof:2: property \"a\" of class \"C\" changes the type it inherits; skipped"},
                      {"B", "C"},
                      0},
        MalformedCase{
            "Redeclared",
            "class C { uint32 a; };\nclass c { string b; };\ninstance of C { a = 1; };",
            {"t.mof:2: class \"c\" is already declared in namespace \"root\\default\"; this declaration ignored"},
            {"C"},
            1},
        MalformedCase{"UnknownSuperclass",
                      "class B : A { uint32 x; };\nclass D {};",
                      {"t.mof:1: class \"B\" derives from undeclared class \"A\"; refused"},
                      {"D"},
                      0},
        MalformedCase{"ClassNotClosed", "class C { uint32 a;", {"t.mof:1: class \"C\" is not closed; refused"}, {}, 0},
        MalformedCase{
            "ClassWithoutBody", "class C;\nclass D {};", {"t.mof:1: class \"C\" has no body; skipped"}, {"D"}, 0},
        MalformedCase{"MissingSemicolon",
                      "class C { uint32 a uint32 b; string c; };",
                      {"t.mof:1: unexpected \"uint32\"; expected ';' after property \"a\""},
                      {"C"},
                      0},
        MalformedCase{"MissingSemicolonAfterBody",
                      "class C { }\nclass D { };\ninstance of D { }\n",
                      {"t.mof:1: missing ';' after class \"C\"", "t.mof:3: missing ';' after instance of \"D\""},
                      {"C", "D"},
                      1},
        MalformedCase{"ClassKeywordAlone",
                      "class",
                      {"t.mof:1: unexpected end of file; expected a class name after \"class\""},
                      {},
                      0},
        MalformedCase{"InstanceWithoutOf",
                      "class C {};\ninstance C { };\nclass D {};",
                      {"t.mof:2: unexpected \"C\"; expected \"of\" after \"instance\""},
                      {"C", "D"},
                      0},
        MalformedCase{"Garbage",
                      std::string("\x01\x02\nclass C { uint32 a; };\n\x80\xFF junk;\n@@ `\n", 40),
                      {"t.mof:1: unexpected byte 0x01", "t.mof:3: ill-formed UTF-8 read as U+FFFD",
                       "t.mof:3: unexpected character U+FFFD",
                       "t.mof:3: unexpected \"junk\"; expected a class, an instance or a pragma",
                       "t.mof:4: unexpected character '@'"},
                      {"C"},
                      0},
        MalformedCase{"NulBytes",
                      std::string("class C {\0};\0", 13),
                      {"t.mof:1: unexpected byte 0x00", "t.mof:1: unexpected byte 0x00"},
                      {"C"},
                      0},
        MalformedCase{"StrayTokens",
                      "} 5 = ;\nclass C {};",
                      {"t.mof:1: unexpected '}'; expected a class, an instance or a pragma"},
                      {"C"},
                      0},
        MalformedCase{"DeepBraces",
                      k10000Braces,
                      {"t.mof:1: unexpected '{'; expected a class, an instance or a pragma",
                       "t.mof:1: brackets nested deeper than 32 levels", "t.mof:1: '{' is not closed"},
                      {},
                      0},
        MalformedCase{"DeepBrackets",
                      k10000Brackets,
                      {"t.mof:1: brackets nested deeper than 32 levels", "t.mof:1: '[' is not closed"},
                      {},
                      0},
        MalformedCase{"NestingAtTheLimit", nested(32) + "\nclass C {};", {}, {"C"}, 0},
        MalformedCase{"NestingPastTheLimit",
                      nested(33) + "\nclass C {};",
                      {"t.mof:1: brackets nested deeper than 32 levels"},
                      {"C"},
                      0},
        MalformedCase{
            "DeepValue",
            "class C { uint32 a[]; };\ninstance of C { a = " + k10000Braces,
            {"t.mof:2: value of \"a\" holds an array inside an array; skipped",
             "t.mof:2: brackets nested deeper than 32 levels", "t.mof:2: instance of \"C\" is not closed; refused"},
            {"C"},
            0},
        MalformedCase{"DeepQualifiersInABody",
                      "class C { " + k10000Brackets + "\n};",
                      {"t.mof:1: brackets nested deeper than 32 levels", "t.mof:1: class \"C\" is not closed; refused"},
                      {},
                      0}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(MofCompiler, HugeArraysKeepTheirFirstElements) {
  std::string values;
  for (size_t i = 0; i <= mof::kMaxArrayElements; ++i) values += std::to_string(i % 200) + ",";
  values += "-5";  // the element past the limit is not even converted
  mof::RepositoryC r;
  r.compile("t.mof", "class C { uint8 a[]; };\ninstance of C { a = {" + values + "}; };\n");
  EXPECT_EQ(r.problems(),
            Problems{"t.mof:2: value of \"a\" has more than 65536 elements; only the first 65536 are kept"});
  const VariantC a = valueOf(r, "root\\default", 0, "a");
  EXPECT_EQ(a.type, wmi::kVtArray | wmi::kVtUi1);
  ASSERT_EQ(a.elements.size(), mof::kMaxArrayElements);
  EXPECT_EQ(a.elements.back().integer, static_cast<int64_t>((mof::kMaxArrayElements - 1) % 200));
}

TEST(MofCompiler, ArraysAtTheLimitAreWhole) {
  std::string values = "0";
  for (size_t i = 1; i < mof::kMaxArrayElements; ++i) values += ",1";
  mof::RepositoryC r;
  r.compile("t.mof", "class C { uint8 a[] = {" + values + "}; };");
  EXPECT_EQ(r.problems(), Problems{});
  EXPECT_EQ(r.findNamespace("root\\default")->findClass("C")->properties[0].value.elements.size(),
            mof::kMaxArrayElements);
}

TEST(MofCompiler, FilesPastTheSizeLimitAreSkipped) {
  mof::RepositoryC r;
  r.compile("big.mof", std::string(mof::kMaxFileBytes, ' '));
  EXPECT_EQ(r.problems(), Problems{});
  r.compile("big.mof", "class C {};" + std::string(mof::kMaxFileBytes - 11 + 1, ' '));
  EXPECT_EQ(r.problems(),
            Problems{"big.mof:0: file of 16777217 bytes is larger than the limit of 16777216 bytes; skipped"});
  EXPECT_FALSE(r.namespaceExists("root\\default"));
}

TEST(MofCompiler, ProblemsAreCappedPerFile) {
  std::string text;
  for (int i = 0; i < 150; ++i) text += "x;\n";
  mof::RepositoryC r;
  r.compile("a.mof", text);
  r.compile("b.mof", "y;");
  ASSERT_EQ(r.problems().size(), mof::kMaxProblemsPerFile + 2);
  EXPECT_EQ(r.problems()[99], "a.mof:100: unexpected \"x\"; expected a class, an instance or a pragma");
  EXPECT_EQ(r.problems()[100], "a.mof:101: more than 100 problems; the rest of this file's are not reported");
  EXPECT_EQ(r.problems()[101], "b.mof:1: unexpected \"y\"; expected a class, an instance or a pragma");
}

TEST(MofCompiler, NamespacesHoldAtMostTheInstanceLimit) {
  // Two files, since one of the limit's size would pass the file limit.
  std::string half;
  for (size_t i = 0; i < mof::kMaxInstances / 2; ++i) half += "instance of C{};\n";
  mof::RepositoryC r;
  r.compile("a.mof", "class C {};\n" + half);
  r.compile("b.mof", half + "instance of C{};\ninstance of C{};\n");
  EXPECT_EQ(r.problems(), Problems{"b.mof:524289: namespace \"root\\default\" holds its limit of 1048576 instances; "
                                   "this instance and later ones refused"});
  EXPECT_EQ(instanceCount(r), mof::kMaxInstances);
}

TEST(MofCompiler, RepositoriesHoldAtMostTheValueLimit) {
  // A class of one array of 65535 elements weighs 65536 values, as does
  // each instance of it: the class and 15 instances reach the limit.
  std::string values = "0";
  for (size_t i = 1; i < 65535; ++i) values += ",0";
  std::string text = "class C { uint8 a[] = {" + values + "}; };\n";
  for (int i = 0; i < 17; ++i) text += "instance of C {};\n";
  mof::RepositoryC r;
  r.compile("t.mof", text);
  EXPECT_EQ(
      r.problems(),
      (Problems{"t.mof:17: instance of \"C\" would take the repository past its limit of 1048576 values; refused",
                "t.mof:18: instance of \"C\" would take the repository past its limit of 1048576 values; refused"}));
  EXPECT_EQ(instanceCount(r), 15u);
}

// Every prefix of a real file: whatever is cut, the compiler reports and
// goes on.
TEST(MofCompiler, TruncatedFilesNeverBreakIt) {
  for (const char* name : {"client.mof", "client_utf16.mof"}) {
    const std::string bytes = fixture(name);
    ASSERT_FALSE(bytes.empty()) << name;
    for (size_t n = 0; n <= bytes.size(); ++n) {
      mof::RepositoryC r;
      r.compile("t.mof", std::string_view(bytes).substr(0, n));
      for (const auto& p : r.problems()) ASSERT_EQ(p.rfind("t.mof:", 0), 0u) << name << " cut at " << n << ": " << p;
      if (const mof::NamespaceC* ns = r.findNamespace("root\\vendor\\appv")) {
        for (const auto& i : ns->instances) ASSERT_EQ(i.values.size(), i.cls->properties.size());
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Directories.

TEST(MofCompiler, DirectoriesAreReadRecursivelyInPathOrder) {
  test_support::TempDirC dir;
  test_support::writeFile(dir.file("0.mof"), "instance of C { n = 0; };\n");
  test_support::writeFile(dir.file("a/1.mof"), "class C { uint32 n; };\ninstance of C { n = 1; };\n");
  test_support::writeFile(dir.file("a/b/2.MOF"), "instance of C { n = 2; };\n");
  test_support::writeFile(dir.file("b.Mof"), "instance of C { n = 3; };\n");
  test_support::writeFile(dir.file("c.mof.txt"), "instance of C { n = 4; };\n");
  test_support::writeFile(dir.file("mof"), "instance of C { n = 5; };\n");
  ASSERT_EQ(symlink("nowhere.mof", dir.file("z.mof").c_str()), 0);
  ASSERT_EQ(symlink(dir.file("a/1.mof").c_str(), dir.file("y.mof").c_str()), 0);
  ASSERT_EQ(symlink(dir.file("a").c_str(), dir.file("linked").c_str()), 0);

  const std::vector<std::string> files = mof::mofFiles(dir.path());
  EXPECT_EQ(files, (std::vector<std::string>{dir.path() + "/0.mof", dir.path() + "/a/1.mof", dir.path() + "/a/b/2.MOF",
                                             dir.path() + "/b.Mof", dir.path() + "/y.mof", dir.path() + "/z.mof"}));
  mof::RepositoryC r;
  r.compileDirectory(dir.path());
  EXPECT_EQ(r.problems(), (Problems{dir.path() + "/0.mof:1: instance of undeclared class \"C\"; refused",
                                    dir.path() + "/y.mof:1: class \"C\" is already declared in namespace "
                                                 "\"root\\default\"; this declaration ignored",
                                    dir.path() + "/z.mof:0: cannot be read; skipped"}));
  std::vector<int64_t> order;
  for (const auto& i : r.findNamespace("root\\default")->instances) order.push_back(i.values[0].integer);
  EXPECT_EQ(order, (std::vector<int64_t>{1, 2, 3, 1}));
  EXPECT_EQ(r.findNamespace("root\\default")->instances[1].file, dir.path() + "/a/b/2.MOF");
}

TEST(MofCompiler, MissingDirectoriesAreEmptyRepositories) {
  test_support::TempDirC dir;
  mof::RepositoryC r;
  r.compileDirectory(dir.path() + "/none");
  EXPECT_EQ(r.problems(), Problems{});
  EXPECT_TRUE(r.namespaceExists("root"));
  EXPECT_TRUE(mof::mofFiles(dir.path() + "/none").empty());
  test_support::writeFile(dir.file("plain"), "x");
  EXPECT_TRUE(mof::mofFiles(dir.path() + "/plain").empty());
}

}  // namespace

namespace {

// A qualifier list left open over lines: the directive after it is read,
// not swallowed with the list (the class went to root\default unreported).
TEST(MofCompiler, ADirectiveInsideAnOpenQualifierListIsReadNotLost) {
  mof::RepositoryC r;
  r.compile("t.mof", "[x\n#pragma namespace(\"root\\\\a\")\n]\nclass A {};\n");
  EXPECT_EQ(r.problems(), (Problems{"t.mof:1: '[' is not closed",
                                    "t.mof:3: unexpected ']'; expected a class, an instance or a pragma"}));
  ASSERT_NE(r.findNamespace("root\\a"), nullptr);
  EXPECT_NE(r.findNamespace("root\\a")->findClass("A"), nullptr);
  const mof::NamespaceC* fallback = r.findNamespace("root\\default");
  EXPECT_TRUE(fallback == nullptr || fallback->findClass("A") == nullptr);
}

}  // namespace
