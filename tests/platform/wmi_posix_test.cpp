#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/wmi.h"
#include "test_support.h"

namespace {

namespace wmi = platform::wmi;
using Problems = std::vector<std::string>;

std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string fixture(const std::string& name) {
  return test_support::readFile(std::string(VDI_MOF_FIXTURES) + "/" + name);
}

class WmiPosix : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::setEnv("TNW_MACHINE_ROOT", root_.path());
    write("vendor/client.mof", fixture("client.mof"));
    ASSERT_EQ(wmi::createLocator(locator_), platform::kSOk);
    ASSERT_NE(locator_, nullptr);
  }
  void TearDown() override { test_support::unsetEnv("TNW_MACHINE_ROOT"); }

  std::string path(const std::string& name) const { return root_.path() + "/wmi/" + name; }
  void write(const std::string& name, const std::string& text) const {
    test_support::writeFile(root_.file("wmi/" + name), text);
  }

  uint32_t connect(const std::u16string& ns, std::unique_ptr<wmi::ServicesI>& out, Problems* problems = nullptr,
                   const std::u16string* user = nullptr, const std::u16string* password = nullptr) {
    out = nullptr;
    return locator_->connectServer(ns, user, password, out, problems);
  }

  std::unique_ptr<wmi::ServicesI> services(const std::u16string& ns = u"root\\vendor\\appv") {
    std::unique_ptr<wmi::ServicesI> s;
    EXPECT_EQ(connect(ns, s), platform::kWbemSNoError);
    return s;
  }

  // The "Name" of every instance the enumeration gives, then its end.
  static std::vector<std::u16string> names(wmi::EnumeratorI& e) {
    std::vector<std::u16string> out;
    for (;;) {
      std::unique_ptr<wmi::ClassObjectI> object;
      const uint32_t status = e.next(wmi::kWbemInfinite, object);
      if (status != platform::kWbemSNoError) {
        EXPECT_EQ(status, platform::kWbemSFalse);
        EXPECT_EQ(object, nullptr);
        return out;
      }
      EXPECT_NE(object, nullptr);
      if (!object) return out;
      wmi::VariantC v;
      int32_t cimType = 0;
      EXPECT_EQ(object->get(u"Name", v, cimType), platform::kWbemSNoError);
      out.push_back(v.text);
    }
  }

  std::vector<std::u16string> names(const std::u16string& cls, int32_t flags,
                                    const std::u16string& ns = u"root\\vendor\\appv") {
    std::unique_ptr<wmi::ServicesI> s = services(ns);
    if (!s) return {};
    std::unique_ptr<wmi::EnumeratorI> e;
    EXPECT_EQ(s->createInstanceEnum(cls, flags, e), platform::kWbemSNoError);
    if (!e) return {};
    return names(*e);
  }

  // The first instance of a class (deep).
  std::unique_ptr<wmi::ClassObjectI> first(const std::u16string& cls, int32_t flags = wmi::kWbemFlagShallow) {
    std::unique_ptr<wmi::ServicesI> s = services();
    std::unique_ptr<wmi::EnumeratorI> e;
    std::unique_ptr<wmi::ClassObjectI> object;
    if (s && s->createInstanceEnum(cls, flags, e) == platform::kWbemSNoError) e->next(wmi::kWbemInfinite, object);
    EXPECT_NE(object, nullptr) << "no instance of the class";
    return object;
  }

  test_support::TempDirC root_;
  std::unique_ptr<wmi::LocatorI> locator_;
};

struct ConnectCase {
  std::u16string path;
  uint32_t expected;
};

class WmiPosixConnect : public WmiPosix, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(WmiPosixConnect, AcceptsLocalPathsOfDeclaredNamespaces) {
  std::unique_ptr<wmi::ServicesI> s;
  EXPECT_EQ(connect(GetParam().path, s), GetParam().expected);
  EXPECT_EQ(s != nullptr, GetParam().expected == platform::kWbemSNoError);
}

INSTANTIATE_TEST_SUITE_P(PathsAndServers, WmiPosixConnect,
                         ::testing::Values(ConnectCase{u"root\\vendor\\appv", platform::kWbemSNoError},
                                           ConnectCase{u"ROOT\\Vendor\\APPV", platform::kWbemSNoError},
                                           ConnectCase{u"\\\\.\\root\\vendor\\appv", platform::kWbemSNoError},
                                           ConnectCase{u"//./root/vendor/appv", platform::kWbemSNoError},
                                           ConnectCase{u"\\\\localhost\\root\\vendor\\appv", platform::kWbemSNoError},
                                           ConnectCase{u"//LocalHost/root/vendor", platform::kWbemSNoError},
                                           ConnectCase{u"root/vendor/appv", platform::kWbemSNoError},
                                           ConnectCase{u"root", platform::kWbemSNoError},
                                           ConnectCase{u"\\\\.\\root", platform::kWbemSNoError},
                                           ConnectCase{u"root\\vendor\\appv\\below", platform::kWbemEInvalidNamespace},
                                           ConnectCase{u"root\\default", platform::kWbemEInvalidNamespace},
                                           ConnectCase{u"vendor\\appv", platform::kWbemEInvalidNamespace},
                                           ConnectCase{u"", platform::kWbemEInvalidNamespace},
                                           ConnectCase{u"\\\\.", platform::kWbemEInvalidNamespace},
                                           ConnectCase{u"\\\\.\\", platform::kWbemEInvalidNamespace},
                                           ConnectCase{u"\\\\\\root", platform::kWbemEInvalidNamespace},
                                           ConnectCase{u"\\\\elsewhere\\root\\vendor\\appv",
                                                       platform::kRpcSServerUnavailable},
                                           ConnectCase{u"//elsewhere/root/none", platform::kRpcSServerUnavailable},
                                           ConnectCase{u"\\\\127.0.0.2\\root", platform::kRpcSServerUnavailable}));

TEST_F(WmiPosix, ThisHostsNameIsLocal) {
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  std::string upper = host;
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  for (const std::string& name : {std::string(host), upper}) {
    std::unique_ptr<wmi::ServicesI> s;
    EXPECT_EQ(connect(u"\\\\" + wide(name) + u"\\root\\vendor\\appv", s), platform::kWbemSNoError) << name;
    EXPECT_EQ(connect(u"//" + wide(name) + u"/root/none", s), platform::kWbemEInvalidNamespace) << name;
    EXPECT_EQ(connect(u"\\\\" + wide(name) + u"x\\root\\vendor\\appv", s), platform::kRpcSServerUnavailable) << name;
  }
}

TEST_F(WmiPosix, CredentialsOnALocalConnectionAreRefused) {
  const std::u16string user = u"admin", empty, password = u"secret";
  std::unique_ptr<wmi::ServicesI> s;
  for (const std::u16string path : {u"root\\vendor\\appv", u"\\\\.\\root\\vendor\\appv", u"root\\none"}) {
    EXPECT_EQ(connect(path, s, nullptr, &user, &password), platform::kWbemELocalCredentials);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(connect(path, s, nullptr, &user, nullptr), platform::kWbemELocalCredentials);
  }
  EXPECT_EQ(connect(u"root\\vendor\\appv", s, nullptr, &empty, &password), platform::kWbemSNoError);
  EXPECT_EQ(connect(u"root\\vendor\\appv", s, nullptr, nullptr, &password), platform::kWbemSNoError);
  EXPECT_EQ(connect(u"\\\\elsewhere\\root", s, nullptr, &user, &password), platform::kRpcSServerUnavailable)
      << "the server is checked first";
}

TEST_F(WmiPosix, EnumeratesDeepAndShallowInDeclarationOrder) {
  const std::vector<std::u16string> all = {u"Editor", u"Viewer", u"Caf\u00E9 Tools"};
  EXPECT_EQ(names(u"Tnw_Package", wmi::kWbemFlagDeep), all);
  EXPECT_EQ(names(u"TNW_PACKAGE", wmi::kWbemFlagDeep), all);
  EXPECT_EQ(names(u"Tnw_Package", wmi::kWbemFlagShallow), (std::vector<std::u16string>{u"Editor", u"Caf\u00E9 Tools"}));
  EXPECT_EQ(names(u"tnw_globalpackage", wmi::kWbemFlagDeep), std::vector<std::u16string>{u"Viewer"});
  EXPECT_EQ(names(u"Tnw_GlobalPackage", wmi::kWbemFlagShallow), std::vector<std::u16string>{u"Viewer"});
}

TEST_F(WmiPosix, DeepEnumerationsFollowTheWholeChain) {
  write("chain.mof",
        "#pragma namespace(\"root\\\\chain\")\n"
        "class Base { string Name; };\nclass Mid : Base {};\nclass Leaf : Mid {};\nclass Other : Base {};\n"
        "instance of Base { Name = \"b1\"; };\ninstance of Leaf { Name = \"l1\"; };\n"
        "instance of Other { Name = \"o1\"; };\ninstance of Mid { Name = \"m1\"; };\n"
        "instance of Leaf { Name = \"l2\"; };\ninstance of Base { Name = \"b2\"; };\n");
  using Names = std::vector<std::u16string>;
  EXPECT_EQ(names(u"Base", 0, u"root\\chain"), (Names{u"b1", u"l1", u"o1", u"m1", u"l2", u"b2"}));
  EXPECT_EQ(names(u"Mid", 0, u"root\\chain"), (Names{u"l1", u"m1", u"l2"}));
  EXPECT_EQ(names(u"Mid", wmi::kWbemFlagShallow, u"root\\chain"), (Names{u"m1"}));
  EXPECT_EQ(names(u"Leaf", 0, u"root\\chain"), (Names{u"l1", u"l2"}));
  EXPECT_EQ(names(u"Other", 0, u"root\\chain"), (Names{u"o1"}));
}

TEST_F(WmiPosix, TheEndStaysTheEnd) {
  std::unique_ptr<wmi::ServicesI> s = services();
  ASSERT_NE(s, nullptr);
  std::unique_ptr<wmi::EnumeratorI> e;
  ASSERT_EQ(s->createInstanceEnum(u"Tnw_GlobalPackage", wmi::kWbemFlagDeep, e), platform::kWbemSNoError);
  std::unique_ptr<wmi::ClassObjectI> object;
  EXPECT_EQ(e->next(0, object), platform::kWbemSNoError);
  EXPECT_NE(object, nullptr);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(e->next(wmi::kWbemInfinite, object), platform::kWbemSFalse);
    EXPECT_EQ(object, nullptr) << "a finished enumeration gives no object";
  }
}

TEST_F(WmiPosix, UnknownClassesAndFlagsAreRefused) {
  std::unique_ptr<wmi::ServicesI> s = services();
  ASSERT_NE(s, nullptr);
  std::unique_ptr<wmi::EnumeratorI> e;
  EXPECT_EQ(s->createInstanceEnum(u"Tnw_None", wmi::kWbemFlagDeep, e), platform::kWbemEInvalidClass);
  EXPECT_EQ(e, nullptr);
  EXPECT_EQ(s->createInstanceEnum(u"", wmi::kWbemFlagDeep, e), platform::kWbemEInvalidClass);
  for (int32_t flags : {0x10, 0x20, 0x30, 2, -1}) {
    EXPECT_EQ(s->createInstanceEnum(u"Tnw_Package", flags, e), platform::kWbemEInvalidParameter) << flags;
    EXPECT_EQ(e, nullptr);
  }
  std::unique_ptr<wmi::ServicesI> parent = services(u"root\\vendor");
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->createInstanceEnum(u"Tnw_Package", wmi::kWbemFlagDeep, e), platform::kWbemEInvalidClass)
      << "classes belong to their own namespace";
}

struct GetCase {
  const char16_t* cls;  // the first instance of it, shallow
  const char16_t* property;
  uint32_t status;
  uint16_t type;
  int32_t cimType;
  int64_t integer;
  std::u16string text;
  size_t elements;
};

class WmiPosixGet : public WmiPosix, public ::testing::WithParamInterface<GetCase> {};

TEST_P(WmiPosixGet, AnswersDeclaredTypesAndValues) {
  const GetCase& c = GetParam();
  std::unique_ptr<wmi::ClassObjectI> object = first(c.cls);
  ASSERT_NE(object, nullptr);
  wmi::VariantC v;
  v.type = wmi::kVtI4;
  v.text = u"left over";
  int32_t cimType = 77;
  EXPECT_EQ(object->get(c.property, v, cimType), c.status);
  EXPECT_EQ(v.type, c.type);
  EXPECT_EQ(cimType, c.cimType);
  EXPECT_EQ(v.integer, c.integer);
  EXPECT_EQ(v.text, c.text);
  EXPECT_EQ(v.elements.size(), c.elements);
}

INSTANTIATE_TEST_SUITE_P(
    Properties, WmiPosixGet,
    ::testing::Values(
        GetCase{u"Tnw_Package", u"Name", 0, wmi::kVtBstr, wmi::kCimString, 0, u"Editor", 0},
        GetCase{u"Tnw_Package", u"nAmE", 0, wmi::kVtBstr, wmi::kCimString, 0, u"Editor", 0},
        GetCase{u"Tnw_Package", u"Size", 0, wmi::kVtI4, wmi::kCimUint32, -294967296, u"", 0},
        GetCase{u"Tnw_Package", u"InUse", 0, wmi::kVtBool, wmi::kCimBoolean, -1, u"", 0},
        GetCase{u"Tnw_Package", u"Added", 0, wmi::kVtBstr, wmi::kCimDatetime, 0, u"20240115083005.000000+060", 0},
        GetCase{u"Tnw_Package", u"Tags", 0, wmi::kVtArray | wmi::kVtBstr, wmi::kCimString | wmi::kCimFlagArray, 0, u"",
                2},
        GetCase{u"Tnw_Package", u"__CLASS", 0, wmi::kVtBstr, wmi::kCimString, 0, u"Tnw_Package", 0},
        GetCase{u"Tnw_Package", u"Bytes", platform::kWbemENotFound, wmi::kVtEmpty, 0, 0, u"", 0},
        GetCase{u"Tnw_Package", u"Repair", platform::kWbemENotFound, wmi::kVtEmpty, 0, 0, u"", 0},
        GetCase{u"Tnw_Package", u"", platform::kWbemENotFound, wmi::kVtEmpty, 0, 0, u"", 0},
        GetCase{u"Tnw_GlobalPackage", u"Bytes", 0, wmi::kVtBstr, wmi::kCimUint64, 0, u"18446744073709551615", 0},
        GetCase{u"Tnw_GlobalPackage", u"Rank", 0, wmi::kVtI4, wmi::kCimSint32, -1, u"", 0},
        GetCase{u"Tnw_GlobalPackage", u"version", 0, wmi::kVtBstr, wmi::kCimString, 0, u"1.0", 0},
        GetCase{u"Tnw_GlobalPackage", u"InUse", 0, wmi::kVtBool, wmi::kCimBoolean, 0, u"", 0},
        GetCase{u"Tnw_GlobalPackage", u"Size", 0, wmi::kVtNull, wmi::kCimUint32, 0, u"", 0},
        GetCase{u"Tnw_GlobalPackage", u"__class", 0, wmi::kVtBstr, wmi::kCimString, 0, u"Tnw_GlobalPackage", 0}));

TEST_F(WmiPosix, ProxyBlanketsAreAccepted) {
  std::unique_ptr<wmi::ServicesI> s = services();
  ASSERT_NE(s, nullptr);
  const wmi::AuthIdentityC identity{u"user", u"DOMAIN", u"pw"};
  wmi::ProxyBlanketC blanket;
  EXPECT_EQ(s->setProxyBlanket(blanket), platform::kSOk);
  blanket.identity = &identity;
  EXPECT_EQ(s->setProxyBlanket(blanket), platform::kSOk);
  std::unique_ptr<wmi::EnumeratorI> e;
  ASSERT_EQ(s->createInstanceEnum(u"Tnw_Package", wmi::kWbemFlagDeep, e), platform::kWbemSNoError);
  EXPECT_EQ(e->setProxyBlanket(blanket), platform::kSOk);
  EXPECT_EQ(names(*e).size(), 3u);
}

// The only test that sets the process's security.
TEST(WmiPosixProcess, SecurityIsSetOncePerProcess) {
  EXPECT_EQ(wmi::initializeSecurity(wmi::kRpcCAuthnLevelConnect, wmi::kRpcCImpLevelImpersonate, wmi::kEoacNone),
            platform::kSOk);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(wmi::initializeSecurity(wmi::kRpcCAuthnLevelCall, wmi::kRpcCImpLevelIdentify, wmi::kEoacNone),
              platform::kRpcETooLate);
  std::unique_ptr<wmi::LocatorI> locator;
  EXPECT_EQ(wmi::createLocator(locator), platform::kSOk) << "the security does not stop a locator";
  EXPECT_NE(locator, nullptr);
}

// ---------------------------------------------------------------------------
// The repository follows its files.

TEST_F(WmiPosix, ProblemsComeOnceWithTheConnectThatCompiled) {
  write("a.mof", "class A { uint32 n; };\ninstance of A { n = 1; m = 2; };\n");
  std::unique_ptr<wmi::ServicesI> s;
  Problems problems = {"kept"};
  ASSERT_EQ(connect(u"root\\default", s, &problems), platform::kWbemSNoError);
  EXPECT_EQ(problems, (Problems{"kept", path("a.mof") + ":2: property \"m\" is not declared by class \"A\"; skipped"}));

  problems.clear();
  ASSERT_EQ(connect(u"root\\default", s, &problems), platform::kWbemSNoError);
  EXPECT_EQ(problems, Problems{}) << "nothing changed, nothing compiled";
  ASSERT_EQ(connect(u"root\\none", s, &problems), platform::kWbemEInvalidNamespace);
  EXPECT_EQ(problems, Problems{});

  std::unique_ptr<wmi::EnumeratorI> before;
  ASSERT_EQ(connect(u"root\\default", s), platform::kWbemSNoError);
  ASSERT_EQ(s->createInstanceEnum(u"A", 0, before), platform::kWbemSNoError);
  std::unique_ptr<wmi::ClassObjectI> old;
  ASSERT_EQ(before->next(0, old), platform::kWbemSNoError);

  write("a.mof", "class A { uint32 n; };\ninstance of A { n = 10; };\ninstance of A { n = 20; k = 3; };\n");
  ASSERT_EQ(connect(u"root\\default", s, &problems), platform::kWbemSNoError);
  EXPECT_EQ(problems, Problems{path("a.mof") + ":3: property \"k\" is not declared by class \"A\"; skipped"});
  std::unique_ptr<wmi::EnumeratorI> after;
  ASSERT_EQ(s->createInstanceEnum(u"A", 0, after), platform::kWbemSNoError);
  std::vector<int64_t> values;
  for (std::unique_ptr<wmi::ClassObjectI> o; after->next(0, o) == platform::kWbemSNoError;) {
    wmi::VariantC v;
    int32_t cimType;
    ASSERT_EQ(o->get(u"n", v, cimType), platform::kWbemSNoError);
    values.push_back(v.integer);
  }
  EXPECT_EQ(values, (std::vector<int64_t>{10, 20}));

  // What was handed out before keeps the repository it came from.
  wmi::VariantC v;
  int32_t cimType;
  ASSERT_EQ(old->get(u"n", v, cimType), platform::kWbemSNoError);
  EXPECT_EQ(v.integer, 1);
  EXPECT_EQ(before->next(0, old), platform::kWbemSFalse);
}

TEST_F(WmiPosix, FilesAddedAndRemovedAreSeen) {
  std::unique_ptr<wmi::ServicesI> s;
  EXPECT_EQ(connect(u"root\\extra", s), platform::kWbemEInvalidNamespace);
  write("deep/down/extra.MOF",
        "#pragma namespace(\"\\\\\\\\.\\\\root\\\\extra\")\nclass X { string Name; };\n"
        "instance of X { Name = \"x\"; };\n");
  EXPECT_EQ(connect(u"root\\extra", s), platform::kWbemSNoError);
  EXPECT_EQ(names(u"X", 0, u"root\\extra"), std::vector<std::u16string>{u"x"});
  write("deep/down/ignored.txt", "#pragma namespace(\"root\\\\text\")\n");
  EXPECT_EQ(connect(u"root\\text", s), platform::kWbemEInvalidNamespace);
  ASSERT_EQ(std::remove(path("deep/down/extra.MOF").c_str()), 0);
  EXPECT_EQ(connect(u"root\\extra", s), platform::kWbemEInvalidNamespace);
  EXPECT_EQ(connect(u"root\\vendor\\appv", s), platform::kWbemSNoError);
}

TEST_F(WmiPosix, TheMachineRootComesFromTheEnvironment) {
  test_support::TempDirC other;
  test_support::writeFile(other.file("wmi/o.mof"), "#pragma namespace(\"root\\\\other\")\nclass O {};\n");
  std::unique_ptr<wmi::ServicesI> s;
  test_support::setEnv("TNW_MACHINE_ROOT", other.path());
  EXPECT_EQ(connect(u"root\\other", s), platform::kWbemSNoError);
  EXPECT_EQ(connect(u"root\\vendor\\appv", s), platform::kWbemEInvalidNamespace);
  test_support::setEnv("TNW_MACHINE_ROOT", root_.path());
  EXPECT_EQ(connect(u"root\\other", s), platform::kWbemEInvalidNamespace);
  EXPECT_EQ(connect(u"root\\vendor\\appv", s), platform::kWbemSNoError);
  test_support::setEnv("TNW_MACHINE_ROOT", other.path() + "/none");
  Problems problems;
  EXPECT_EQ(connect(u"root", s, &problems), platform::kWbemSNoError) << "root is there without any file";
  EXPECT_EQ(connect(u"root\\default", s, &problems), platform::kWbemEInvalidNamespace);
  EXPECT_EQ(problems, Problems{});
}

}  // namespace
