#include "config/tables/conf_tree.h"

#include "config/registry/conf_var_int32.h"
#include "config/registry/conf_var_string.h"
#include "config/registry/conf_var_string_array.h"

namespace {

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

ConfTreeC::ConfTreeC(tnw::RegistryContextI* registry, ConfVarStateC::ClockFn clock)
    : state_(registry, clock),
      machineHiveReader_(state_, kAltHiveKeyPath, kMachineAltHiveValue, false),
      userHiveReader_(state_, kAltHiveKeyPath, kUserAltHiveValue, true) {
  const auto vars = confVarRows();
  size_t next = 0;
  for (const ConfKeyRowC& row : confKeyRows()) {
    ConfVarC* parent = row.parent == ConfKeyE::kNone ? nullptr : keys_[static_cast<int32_t>(row.parent)];
    objects_.push_back(
        std::make_unique<ConfVarC>(state_, parent, row.name, row.legacyName, row.attribute, row.isHiveRoot));
    ConfVarC* node = objects_.back().get();
    keys_[static_cast<int32_t>(row.key)] = node;
    for (; next < vars.size() && vars[next].key == row.key; ++next) {
      objects_.push_back(build(vars[next], node));
      variables_.push_back({row.key, vars[next].name, objects_.back().get()});
    }
  }
  enableVirtAppUsageTracking_ = find<ConfVarBooleanC>(ConfKeyE::kVdiEndpointAgent, "EnableVirtAppUsageTracking");
}

ConfTreeC::~ConfTreeC() {
  while (!objects_.empty()) objects_.pop_back();
}

std::unique_ptr<ConfVarC> ConfTreeC::build(const ConfVarRowC& row, ConfVarC* parent) {
  switch (row.type) {
    case ConfVarC::kString:
      return std::make_unique<ConfVarStringC>(state_, parent, row.overrideName, row.name, row.envName, row.flags,
                                              row.attribute, row.text);
    case ConfVarC::kBoolean:
      return std::make_unique<ConfVarBooleanC>(state_, parent, row.overrideName, row.name, row.flags, row.attribute,
                                               row.number != 0);
    case ConfVarC::kInt32:
      return std::make_unique<ConfVarInt32C>(state_, parent, row.overrideName, row.name, row.flags, row.number,
                                             row.minimum, row.maximum);
    case ConfVarC::kStringArray:
      return std::make_unique<ConfVarStringArrayC>(state_, parent, row.name, row.flags);
    case ConfVarC::kKeyNode:
      break;
  }
  return std::make_unique<ConfVarC>(state_, parent, row.name, nullptr, row.attribute, false);
}

ConfVarC* ConfTreeC::keyNode(ConfKeyE key) const {
  const auto i = static_cast<int32_t>(key);
  return i >= 0 && i < static_cast<int32_t>(ConfKeyE::kCount) ? keys_[i] : nullptr;
}

ConfVarC* ConfTreeC::findAny(ConfKeyE key, std::string_view valueName) const {
  for (const EntryC& e : variables_)
    if (e.key == key && sameName(e.name, valueName)) return e.variable;
  return nullptr;
}

ConfTreeC& confTree() {
  static ConfTreeC tree;
  return tree;
}
