#include "collect/appv/appv_bubble_info.h"

#include <string>
#include <utility>
#include <vector>

#include "collect/info/agent_trace.h"
#include "collect/wmi/wmi_enum.h"
#include "collect/wmi/wmi_instance.h"
#include "platform/library_objects.h"

namespace {

struct ConstantsC {
  StringC server = StringC::fromUtf8(".");
  StringC nameSpace = StringC::fromUtf8("root\\microsoft\\appvirt\\client");
  StringC className = StringC::fromUtf8("Application");
  // The record's pieces' names in set order, as WMI takes them.
  std::u16string properties[4] = {u"Name", u"Version", u"PackageGUID", u"LastLaunchOnSystem"};
};

const ConstantsC& constants() {
  static const ConstantsC* c = platform::library_objects::keep(new ConstantsC);
  return *c;
}

}  // namespace

bool AppVBubbleInfo::collect() {
  if (!connection_) {
    connection_ = new WMIServiceC(constants().server, constants().nameSpace, StringC(), StringC(), *system_);
    if (!connection_->isConnected()) {
      kAgentModule.trace("Failed to initialize WMIServiceC.");
      return false;
    }
  }
  clear();
  const RefM<WMIEnumC> walk = connection_->enumerateClass(constants().className);
  if (!walk) return true;
  while (const RefM<WMIInstanceC> instance = walk->next()) {
    AppVApplicationInfo record;
    for (uint32_t i = 0; i < record.count() && i < 4; ++i) {
      InfoPiece& piece = **record.at(i);
      piece.setValue(instance->property(piece.nameRef(), constants().properties[i]));
    }
    if (!record.hasBeenLaunched()) continue;
    bool unreadable = false;
    if (!record.launchedSince(since, &unreadable)) continue;
    if (unreadable)
      kAgentModule.trace("The launch time '%1$S' of App-V application '%2$S' cannot be read; it is listed.",
                         record.lastLaunch()->value(), record.at(0)->get()->value());
    append(std::move(record));
  }
  return true;
}

ArrayM<AppVApplicationInfo> AppVBubbleInfo::newerThan(const AppVBubbleInfo& other) const {
  // `other`'s records in an open-addressing table of their comparison
  // hashes (slots hold index + 1; 0 is free), at most half full. Built every
  // call: the lists are plain arrays whose records may change between calls.
  const size_t count = static_cast<size_t>(other.count());
  size_t capacity = 16;
  while (capacity < 2 * count) capacity *= 2;
  std::vector<size_t> hashes(count);
  std::vector<uint32_t> slots(capacity, 0);
  for (size_t i = 0; i < count; ++i) {
    hashes[i] = other.at(static_cast<uint32_t>(i))->comparisonHash();
    size_t at = hashes[i] & (capacity - 1);
    while (slots[at]) at = (at + 1) & (capacity - 1);
    slots[at] = static_cast<uint32_t>(i + 1);
  }
  ArrayM<AppVApplicationInfo> newer;
  for (const AppVApplicationInfo& a : *this) {
    const size_t hash = a.comparisonHash();
    bool known = false;
    for (size_t at = hash & (capacity - 1); slots[at] && !known; at = (at + 1) & (capacity - 1)) {
      const size_t i = slots[at] - 1;
      known = hashes[i] == hash && !a.differsFrom(*other.at(static_cast<uint32_t>(i)));
    }
    if (!known) newer.append(a);
  }
  return newer;
}
