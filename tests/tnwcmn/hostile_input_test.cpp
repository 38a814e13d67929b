// Mutated and random input for the parsers that read files an
// administrator (or an attacker) controls. Nothing here may crash or read
// out of bounds; the sanitizer builds watch the reads.
#include <gtest/gtest.h>

#include <random>

#include "tnwcmn/reg_store.h"
#include "tnwcmn/text_format.h"

namespace {

const char* const kSeedFile =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\ICA\\Session]\r\n"
    "\"ClientName\"=\"THIN-07\"\r\n"
    "\"Count\"=dword:0000002a\r\n"
    "\"Data\"=hex:01,02,\\\r\n  03,04\r\n"
    "\"List\"=hex(7):61,00,00,00,00,00\r\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n"
    "\"x\"=-\r\n";

// 8-bit text in an ANSI code page: single bytes, lead and trail bytes of
// double-byte characters (one of them a backslash), bytes left undefined.
const char* const kSeedRegedit4 =
    "REGEDIT4\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Caf\xE9\x95\x5C]\r\n"
    "\"Nom \xE9t\xE9\"=\"\x80 \x81\x95\x5C\x95\"\r\n"
    "\"Path\"=hex(2):25,e9,81,\\\r\n; \xE9\x95\r\n  95,5c,00\r\n"
    "\"List\"=hex(7):e9,00,95,00,00\r\n";

std::string mutate(std::string s, std::mt19937& rng) {
  std::uniform_int_distribution<int> op(0, 3), byte(0, 255);
  const int edits = 1 + static_cast<int>(rng() % 8);
  for (int e = 0; e < edits && !s.empty(); ++e) {
    const size_t at = rng() % s.size();
    switch (op(rng)) {
      case 0: s[at] = static_cast<char>(byte(rng)); break;
      case 1: s.erase(at, 1 + rng() % 4); break;
      case 2: s.insert(at, 1, static_cast<char>(byte(rng))); break;
      default: s.insert(at, s.substr(rng() % s.size(), 1 + rng() % 16)); break;
    }
  }
  return s;
}

// A line over the length limit, of one of the kinds that have gone wrong:
// hex data that ends a continued value or continues it, blanks, line ends.
std::string longLine(int kind) {
  const size_t n = tnw::reg::kMaxPhysicalLine + 1;
  switch (kind % 4) {
    case 0: {
      std::string s;
      while (s.size() < n) s += "0a,";
      return s;
    }
    case 1: return std::string(n, 'b') + "\\\r\n  0b";
    case 2: return std::string(n, ' ');
    default: return std::string(n, '\r');
  }
}

TEST(HostileInput, MutatedRegistryFilesLoadOrAreReported) {
  std::mt19937 rng(20261210);
  for (int round = 0; round < 2000; ++round) {
    const bool ansi = round % 3 == 2;
    std::string bytes = mutate(ansi ? kSeedRegedit4 : kSeedFile, rng);
    // Every tenth file gets a long line inside its first continued value (if
    // the mutations left one), followed by a key and value of its own.
    const size_t cont = bytes.find("\\\r\n");
    const bool spliced = round % 10 == 1 && cont != std::string::npos;
    if (spliced) bytes.insert(cont + 3, longLine(round / 10) + "\r\n[HKEY_LOCAL_MACHINE\\Sentinel]\r\n\"After\"=\"kept\"\r\n");
    if (round % 5 == 0) bytes = "\xFF\xFE" + bytes;  // as UTF-16, half of it nonsense
    tnw::reg::Store store;
    std::vector<std::string> problems;
    const uint32_t codePages[] = {1252, 932, 1251};
    tnw::reg::loadRegFile(bytes, "m.reg", store, problems, codePages[round / 3 % 3]);
    for (const auto& p : problems) ASSERT_EQ(p.rfind("m.reg:", 0), 0u) << p;
    bool loaded = true;
    for (const auto& p : problems) loaded = loaded && p.find("not a registry file") == std::string::npos;
    if (spliced && loaded) {
      // Whatever the long line cut short, what follows it is read on its own.
      const auto* key = store.find("HKEY_LOCAL_MACHINE", {"Sentinel"});
      ASSERT_NE(key, nullptr) << "round " << round;
      ASSERT_NE(key->value("After"), nullptr) << "round " << round;
    }
  }
}

TEST(HostileInput, RandomFormatsNeverFail) {
  std::mt19937 rng(7);
  const char alphabet[] = "%%%%1234567890$*.-+ #lhqjzLIcdsSpnxXuf";
  tnw::Arg args[3] = {};
  args[0].type = tnw::kArgInt32;
  args[0].v.i = -42;
  args[1].type = tnw::kArgNarrow;
  args[1].v.narrow = "text";
  args[2].type = tnw::kArgPointer;
  args[2].v.p = &args;
  const tnw::ArgList list{3, args};
  for (int round = 0; round < 5000; ++round) {
    std::string format;
    const size_t n = rng() % 24;
    for (size_t i = 0; i < n; ++i) format += alphabet[rng() % (sizeof alphabet - 1)];
    const std::string out = tnw::formatPositional(format, &list);
    ASSERT_LE(out.size(), 16u * (format.size() + 1) + 8u * tnw::kMaxWidth) << format;
  }
}

}  // namespace
