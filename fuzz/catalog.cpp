// Message catalogs. A catalog file is untrusted, and the catalog can only be
// opened from a file, so each input is written to a file of this process
// and opened from there. The index is read here from the bytes as well:
// the catalog opens exactly when the header, the count and the order hold;
// then every entry's identifier finds the bytes at its offset (or nothing
// when they lie past the end), an identifier between two entries finds
// nothing, and every text found parses as a message record with a status
// in 0..5, its text re-encoded from the catalog's encoding (chosen by the
// input). A read past the file's end or the index would be caught by the
// sanitizers.
//
// The same bytes, read as lines (a template, a language, an alternative
// and a region), drive the candidate file names of a template: no file
// name comes twice; a template without "%L" is its own only candidate; one
// with a single "%L" and languages of letters only (as locales give them)
// gives it replaced by each locale form, in the order the header gives
// (language-region, alternative-region, language, alternative; a form with
// an empty part is not one), then a name without the language, which keeps
// what follows "%L" and what precedes it but for dots and separators just
// before it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf8.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_scratch.h"
#include "runtime/messages/err_catalog.h"
#include "runtime/messages/message_record.h"

namespace {

struct EntryT {
  uint16_t set;
  uint16_t length;
  uint32_t message;
  uint32_t offset;
};

uint32_t be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// The entries when the bytes make a catalog that opens, else false.
bool readIndex(const uint8_t* data, size_t size, std::vector<EntryT>& entries) {
  if (size < 12 || std::string_view(reinterpret_cast<const char*>(data), 8) != "kestract") return false;
  const uint64_t n = be32(data + 8);
  if (n > (4u << 20) || size < 12 + 12 * n) return false;
  for (uint64_t i = 0; i < n; ++i) {
    const uint8_t* e = data + 12 + 12 * i;
    const EntryT entry{be16(e), be16(e + 2), be32(e + 4), be32(e + 8)};
    if (!entries.empty()) {
      const EntryT& prev = entries.back();
      if (prev.set > entry.set || (prev.set == entry.set && prev.message >= entry.message)) return false;
    }
    entries.push_back(entry);
  }
  return true;
}

const std::string& scratchFile() {
  static const std::string path = [] {
    return fuzzScratchDirectory() + "/vdi-fuzz-catalog-" + std::to_string(getpid()) + ".cat";
  }();
  return path;
}

// The catalog's texts are UTF-8, or (the log catalog) in the system's 8-bit
// code page, which a fetch re-encodes: the text is then well-formed UTF-8,
// ASCII passes unchanged, and encoding it back gives the stored bytes
// unless some of them had no character (U+FFFD).
void checkText(const ErrCatalogC& catalog, const char* encoding, uint32_t id, const std::string& expected,
               bool present) {
  bool found = false;
  const message_record::ParsedC r = catalog.fetchMessage(id, "{w}default", "WE", &found);
  FUZZ_CHECK(found == present, "a fetch finds exactly the entries the file holds");
  FUZZ_CHECK(r.status >= 0 && r.status <= 5, "a status is a kind");
  if (present) {
    const message_record::ParsedC direct = message_record::parse(expected, "WE");
    FUZZ_CHECK(r.status == direct.status, "a fetch gives the stored record's status");
    if (std::string_view(encoding) == "utf8" ||
        std::all_of(direct.text.begin(), direct.text.end(), [](char c) { return (c & 0x80) == 0; })) {
      FUZZ_CHECK(r.text == direct.text, "a fetch gives the stored record's text");
    } else {
      FUZZ_CHECK(common::utf8::wellFormed(r.text), "a re-encoded text is UTF-8");
      if (r.text.find("\xEF\xBF\xBD") == std::string::npos)
        FUZZ_CHECK(StringC::fromUtf8(r.text).encode(encoding) == direct.text, "a re-encoded text encodes back");
    }
  } else {
    FUZZ_CHECK(r.text == "default" && r.status == 3, "a miss gives the default");
  }
}

// The index-th line of `text`, "" past the last, cut to 64 bytes.
std::string line(std::string_view text, size_t index) {
  size_t from = 0;
  for (size_t i = 0; i < index; ++i) {
    from = text.find('\n', from);
    if (from == std::string_view::npos) return std::string();
    ++from;
  }
  const std::string_view rest = text.substr(from);
  return std::string(rest.substr(0, std::min<size_t>(rest.find('\n'), 64)));
}

void checkCandidates(std::string_view bytes) {
  const std::string tpl = line(bytes, 0), language = line(bytes, 1), alternative = line(bytes, 2),
                    region = line(bytes, 3);
  const std::vector<std::string> got = ErrCatalogC::candidates(tpl, language, alternative, region);
  const size_t at = tpl.find("%L");
  if (at == std::string::npos) {
    if (!tpl.empty()) FUZZ_CHECK(got == std::vector<std::string>{tpl}, "a template without %L is its only candidate");
    FUZZ_CHECK(got.size() <= 1 && (got.empty() || got[0] == tpl), "a template without %L gives at most itself");
    return;
  }
  for (size_t i = 0; i < got.size(); ++i)
    for (size_t j = i + 1; j < got.size(); ++j) FUZZ_CHECK(got[i] != got[j], "no candidate comes twice");
  if (tpl.find("%L", at + 2) != std::string::npos) return;  // which "%L" stands for the language is not said
  // Languages are ISO 639 codes, letters only, as a locale gives them; what
  // other texts would give is not said.
  const auto letters = [](const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
  };
  if (!letters(language) || !letters(alternative)) return;
  const std::string before = tpl.substr(0, at), after = tpl.substr(at + 2);
  std::vector<std::string> forms;
  for (const std::string& form : {region.empty() || language.empty() ? std::string() : language + "-" + region,
                                  region.empty() || alternative.empty() ? std::string() : alternative + "-" + region,
                                  language, alternative})
    if (!form.empty() && std::find(forms.begin(), forms.end(), form) == forms.end()) forms.push_back(form);
  // The name without the language may coincide with a form's ("%L\\m.cat"
  // for the language "."), and then is not listed again.
  FUZZ_CHECK(got.size() == forms.size() + 1 || (!forms.empty() && got.size() == forms.size()),
             "one candidate a locale form, then the name without the language");
  for (size_t i = 0; i < forms.size(); ++i)
    FUZZ_CHECK(got[i] == before + forms[i] + after, "a candidate is the template with %L replaced by a locale form");
  if (got.size() == forms.size()) return;
  const std::string& last = got.back();
  FUZZ_CHECK(last.size() >= after.size() && last.compare(last.size() - after.size(), after.size(), after) == 0,
             "the name without the language keeps what follows %L");
  const std::string head = last.substr(0, last.size() - after.size());
  const bool punctuationDropped = before.compare(0, head.size(), head) == 0 &&
                                  before.find_first_not_of("./\\", head.size()) == std::string::npos;
  FUZZ_CHECK((head.size() <= before.size() && punctuationDropped) || (before.empty() && head == "."),
             "the name without the language keeps what precedes %L, but for its dots and separators");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  checkCandidates(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string& path = scratchFile();
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    const size_t written = size ? std::fwrite(data, 1, size, f) : 0;
    std::fclose(f);
    if (written != size) return 0;
  }
  std::vector<EntryT> entries;
  const bool valid = readIndex(data, size, entries);
  // The last byte chooses the encoding; it stays part of the file.
  const char* const encoding = size && (data[size - 1] & 1) ? "system-8" : "utf8";
  ErrCatalogC catalog(path, encoding);
  std::remove(path.c_str());  // the open file stays readable
  FUZZ_CHECK(catalog.isOpen() == valid, "the catalog opens exactly when its index is sound");
  if (!valid) {
    FUZZ_CHECK(catalog.fetchMessage(0xE1B30001, "closed").text == "closed", "a closed catalog gives the default");
    return 0;
  }
  FUZZ_CHECK(catalog.entryCount() == entries.size(), "every entry is read");
  // Every entry and its neighbours, at most a few hundred lookups an input.
  const size_t limit = entries.size() < 256 ? entries.size() : 256;
  for (size_t i = 0; i < limit; ++i) {
    const EntryT& e = entries[i];
    if (e.message > 0xFFFF) continue;  // no lookup reaches it
    // An empty text is found wherever its offset points.
    const bool inFile = e.length == 0 || static_cast<uint64_t>(e.offset) + e.length <= size;
    std::string text;
    FUZZ_CHECK(catalog.lookup(e.set, static_cast<uint16_t>(e.message), text) == inFile,
               "an entry is found exactly when its text lies in the file");
    if (e.set > 0xFFF) continue;  // no identifier reaches it
    const uint32_t id = 0x20000000u | (static_cast<uint32_t>(e.set) << 16) | e.message;
    if (inFile) {
      const std::string stored = e.length ? std::string(reinterpret_cast<const char*>(data) + e.offset, e.length) : std::string();
      FUZZ_CHECK(text == stored, "the text is the bytes at the entry's offset");
      checkText(catalog, encoding, id, stored, true);
    } else {
      checkText(catalog, encoding, id, std::string(), false);
    }
    // The next message number, unless it is the next entry's.
    if (e.message < 0xFFFF) {
      const bool taken = i + 1 < entries.size() && entries[i + 1].set == e.set && entries[i + 1].message == e.message + 1;
      if (!taken) checkText(catalog, encoding, id + 1, std::string(), false);
    }
  }
  // Identifiers without the catalog bit are never looked up.
  checkText(catalog, encoding, 0xC1B30001u, std::string(), false);
  return 0;
}
