#include "tnwcmn/reg_store.h"

namespace tnw::reg {

std::string fold(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::vector<std::string> splitPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('\\', i);
    if (j == std::string_view::npos) j = path.size();
    if (j > i) parts.emplace_back(path.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

std::string canonicalRoot(std::string_view name) {
  const std::string f = fold(name);
  if (f == "hkey_local_machine" || f == "hklm") return "HKEY_LOCAL_MACHINE";
  if (f == "hkey_current_user" || f == "hkcu") return "HKEY_CURRENT_USER";
  if (f == "hkey_users" || f == "hku") return "HKEY_USERS";
  if (f == "hkey_classes_root" || f == "hkcr") return "HKEY_CLASSES_ROOT";
  if (f == "hkey_current_config" || f == "hkcc") return "HKEY_CURRENT_CONFIG";
  return std::string();
}

KeyNode* KeyNode::child(std::string_view n) const {
  auto it = children.find(fold(n));
  return it == children.end() ? nullptr : it->second.get();
}

const Value* KeyNode::value(std::string_view n) const {
  const std::string f = fold(n);
  for (const auto& v : values)
    if (fold(v.name) == f) return &v;
  return nullptr;
}

Store::Store() {
  for (const char* r : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS", "HKEY_CLASSES_ROOT",
                        "HKEY_CURRENT_CONFIG"}) {
    auto node = std::make_unique<KeyNode>();
    node->name = r;
    roots_[r] = std::move(node);
  }
}

const KeyNode* Store::find(std::string_view root, const std::vector<std::string>& path) const {
  auto it = roots_.find(std::string(root));
  if (it == roots_.end()) return nullptr;
  const KeyNode* node = it->second.get();
  for (const auto& part : path) {
    node = node->child(part);
    if (!node) return nullptr;
  }
  return node;
}

KeyNode* Store::create(std::string_view root, const std::vector<std::string>& path) {
  auto it = roots_.find(std::string(root));
  if (it == roots_.end()) return nullptr;
  KeyNode* node = it->second.get();
  for (const auto& part : path) {
    auto& slot = node->children[fold(part)];
    if (!slot) {
      slot = std::make_unique<KeyNode>();
      slot->name = part;
    }
    node = slot.get();
  }
  return node;
}

void Store::removeKey(std::string_view root, const std::vector<std::string>& path) {
  if (path.empty()) return;  // a root can't be deleted
  std::vector<std::string> parent(path.begin(), path.end() - 1);
  KeyNode* node = const_cast<KeyNode*>(find(root, parent));
  if (node) node->children.erase(fold(path.back()));
}

void Store::setValue(KeyNode* key, Value value) {
  const std::string f = fold(value.name);
  for (auto& v : key->values) {
    if (fold(v.name) == f) {
      v.type = value.type;
      v.data = std::move(value.data);
      return;
    }
  }
  key->values.push_back(std::move(value));
}

void Store::removeValue(KeyNode* key, std::string_view name) {
  const std::string f = fold(name);
  for (auto it = key->values.begin(); it != key->values.end(); ++it) {
    if (fold(it->name) == f) {
      key->values.erase(it);
      return;
    }
  }
}

std::vector<std::string> redirect32(std::string_view root, std::vector<std::string> path) {
  if (root == "HKEY_LOCAL_MACHINE" && !path.empty() && fold(path[0]) == "software" &&
      (path.size() < 2 || fold(path[1]) != "wow6432node"))
    path.insert(path.begin() + 1, "WOW6432Node");
  return path;
}

}  // namespace tnw::reg
