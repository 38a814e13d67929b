#include "reg_compare.h"

#include <map>

#include "reg_export.h"

namespace regdump {

namespace {

constexpr const char* kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                  "HKEY_CURRENT_CONFIG"};

struct Item {
  std::string shown;  // as a person reads it
  std::string data;   // what is compared: type and bytes
};
// Folded "key path" or "key path\nvalue name" to the item.
using Content = std::map<std::string, Item>;

void collect(const tnw::reg::KeyNode& node, const std::string& path, Content& out) {
  if (node.children.empty()) out[tnw::reg::fold(path)] = {"[" + path + "]", ""};
  for (const auto& v : node.values)
    out[tnw::reg::fold(path) + "\n" + tnw::reg::fold(v.name)] = {"[" + path + "] " + exportValue(v),
                                                                 std::to_string(v.type) + ":" + v.data};
  for (const auto& child : node.children) collect(*child.second, path + "\\" + child.second->name, out);
}

Content content(const tnw::reg::Store& store) {
  Content out;
  for (const char* root : kRoots)
    if (const tnw::reg::KeyNode* node = store.find(root, {})) {
      // A root is always there; an empty one says nothing.
      if (!node->children.empty() || !node->values.empty()) collect(*node, root, out);
    }
  return out;
}

}  // namespace

std::vector<std::string> differences(const tnw::reg::Store& a, const tnw::reg::Store& b) {
  const Content ca = content(a), cb = content(b);
  std::vector<std::string> out;
  auto ia = ca.begin();
  auto ib = cb.begin();
  while (ia != ca.end() || ib != cb.end()) {
    if (ib == cb.end() || (ia != ca.end() && ia->first < ib->first)) {
      out.push_back("only in A: " + ia->second.shown);
      ++ia;
    } else if (ia == ca.end() || ib->first < ia->first) {
      out.push_back("only in B: " + ib->second.shown);
      ++ib;
    } else {
      if (ia->second.data != ib->second.data)
        out.push_back("differs: " + ia->second.shown + " | " + ib->second.shown);
      ++ia;
      ++ib;
    }
  }
  return out;
}

}  // namespace regdump
