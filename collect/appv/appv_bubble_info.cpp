#include "collect/appv/appv_bubble_info.h"

#include <string>
#include <unordered_set>

#include "collect/info/agent_trace.h"
#include "collect/wmi/wmi_enum.h"
#include "collect/wmi/wmi_instance.h"

namespace {

struct ConstantsC {
  StringC server = StringC::fromUtf8(".");
  StringC nameSpace = StringC::fromUtf8("root\\microsoft\\appvirt\\client");
  StringC className = StringC::fromUtf8("Application");
  // The record's pieces' names in set order, as WMI takes them.
  std::u16string properties[4] = {u"Name", u"Version", u"PackageGUID", u"LastLaunchOnSystem"};
};

const ConstantsC& constants() {
  static const ConstantsC* c = new ConstantsC;
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
    append(record);
  }
  return true;
}

ArrayM<AppVApplicationInfo> AppVBubbleInfo::newerThan(const AppVBubbleInfo& other) const {
  std::unordered_set<std::string> known;
  known.reserve(other.count());
  for (const AppVApplicationInfo& b : other) known.insert(b.comparisonKey());
  ArrayM<AppVApplicationInfo> newer;
  for (const AppVApplicationInfo& a : *this)
    if (known.find(a.comparisonKey()) == known.end()) newer.append(a);
  return newer;
}
