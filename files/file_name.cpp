#include "files/file_name.h"

#include "platform/file_system.h"
#include "platform/path.h"

namespace {

bool isDrive(const std::string& s) { return platform::driveLetter(s) != 0; }

}  // namespace

FileNameC::FileNameC(const std::string& in) {
  text_.reserve(in.size());
  for (char c : in) text_ += c == '/' ? '\\' : c;
  // Repeated separators collapse, except the two that open a share.
  std::string clean;
  for (size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == '\\' && i >= 2 && text_[i - 1] == '\\' && !clean.empty() && clean.back() == '\\') continue;
    clean += text_[i];
  }
  text_ = clean;
  prefix_ = text_.compare(0, 4, "\\\\?\\") == 0;
  absolute_ = !text_.empty() && (text_[0] == '\\' || (isDrive(text_) && text_.size() >= 3 && text_[2] == '\\'));
}

std::string FileNameC::nativePath() const {
  if (text_.empty()) return std::string();
  return platform::nativeFileName(text_, absolute_);
}

FileNameC FileNameC::parent() const {
  // The "\\?\" prefix is no directory: the parent is that of the name
  // behind it, with the prefix again ("\\?\C:\x" gives "\\?\C:\").
  if (prefix_) {
    const FileNameC up = FileNameC(text_.substr(4)).parent();
    return up.isEmpty() ? FileNameC() : FileNameC(text_.substr(0, 4) + up.text_);
  }
  std::string t = text_;
  while (t.size() > 1 && t.back() == '\\' && !(t.size() == 3 && isDrive(t))) t.pop_back();
  const size_t at = t.rfind('\\');
  if (at == std::string::npos) return FileNameC();
  std::string p = t.substr(0, at);
  if ((p.size() == 2 && isDrive(p)) || p.empty()) p += '\\';
  if (p == "\\" && t.compare(0, 2, "\\\\") == 0) return FileNameC();
  return FileNameC(p);
}

bool FileNameC::isRoot() const {
  std::string t = prefix_ ? text_.substr(4) : text_;
  if (t.empty()) return true;
  if (t == "\\") return true;
  if (isDrive(t) && (t.size() == 2 || (t.size() == 3 && t[2] == '\\'))) return true;
  if (t.compare(0, 2, "\\\\") == 0) {
    // \\server\share[\]: two components after the opening separators.
    std::string rest = t.substr(2);
    while (!rest.empty() && rest.back() == '\\') rest.pop_back();
    const size_t sep = rest.find('\\');
    return !rest.empty() && (sep == std::string::npos || rest.find('\\', sep + 1) == std::string::npos);
  }
  return false;
}

std::string FileNameC::leafName() const {
  const size_t slash = text_.rfind('\\');
  return slash == std::string::npos ? text_ : text_.substr(slash + 1);
}

std::string FileNameC::extension() const {
  const std::string leaf = leafName();
  const size_t dot = leaf.rfind('.');
  return dot == std::string::npos ? std::string() : leaf.substr(dot + 1);
}
