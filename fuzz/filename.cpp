// FileNameC over any bytes. Properties: the kept text has no "/" and is a
// fixed point (parsing it again changes nothing, flags included); the
// parent is a prefix of the name and walking up ends at a root or an empty
// name, a name being its own parent only when it is a root, and a name
// behind the "\\?\" prefix has its parents behind it too; and the parent
// and leaf joined give the name back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "files/file_name.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const FileNameC name(in);
  const std::string& text = name.text();
  FUZZ_CHECK(text.find('/') == std::string::npos, "separators are kept as backslashes");
  FUZZ_CHECK(text.size() <= in.size(), "parsing never lengthens the name");
  const FileNameC again(text);
  FUZZ_CHECK(again.text() == text, "the kept text parses to itself");
  FUZZ_CHECK(again.isAbsolute() == name.isAbsolute() && again.isPrefixForm() == name.isPrefixForm(),
             "the kept text keeps the flags");
  FUZZ_CHECK(name.isEmpty() == in.empty(), "only an empty text gives an empty name");
  (void)name.nativePath();

  const std::string leaf = name.leafName();
  const std::string extension = name.extension();
  FUZZ_CHECK(leaf.find('\\') == std::string::npos, "the leaf has no separator");
  FUZZ_CHECK(leaf.size() <= text.size() && text.compare(text.size() - leaf.size(), leaf.size(), leaf) == 0,
             "the leaf ends the name");
  FUZZ_CHECK(extension.size() < leaf.size() || (extension.empty() && leaf.empty()), "the extension is in the leaf");

  const FileNameC parent = name.parent();
  if (!parent.isEmpty() && !leaf.empty()) {
    const std::string& p = parent.text();
    const std::string joined = p + (p.back() == '\\' ? "" : "\\") + leaf;
    FUZZ_CHECK(FileNameC(joined).text() == text, "parent and leaf joined give the name back");
  }

  FileNameC walk = name;
  for (size_t steps = 0;; ++steps) {
    FUZZ_CHECK(steps <= text.size() + 1, "walking up the parents ends");
    const FileNameC up = walk.parent();
    if (up.isEmpty()) break;
    const std::string& w = walk.text();
    const std::string& u = up.text();
    FUZZ_CHECK(u.size() <= w.size() && w.compare(0, u.size(), u) == 0, "a parent is a prefix of its child");
    FUZZ_CHECK(!walk.isPrefixForm() || up.isPrefixForm(), "the parent of a name behind \\\\?\\ is behind it too");
    if (u == w) {
      FUZZ_CHECK(walk.isRoot(), "only a root is its own parent");
      break;
    }
    walk = up;
  }
  return 0;
}
