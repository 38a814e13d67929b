// wmiquery: the instances of a WMI class as the agent's collectors read
// them. On Linux from the machine root's .mof repository, on Windows from
// the system's WMI.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "collect/wmi/wmi_enum.h"
#include "collect/wmi/wmi_instance.h"
#include "collect/wmi/wmi_service.h"
#include "common/machine_root.h"
#include "platform/hresult.h"
#include "platform/system.h"
#include "runtime/services/common_services.h"
#include "tnwcmn/tnwcmn.h"
#include "tools/common/printing_error_service.h"

namespace {

const char kUsage[] =
    "usage: wmiquery [--machine DIR] NAMESPACE CLASS [PROPERTY...]\n"
    "  Lists the instances of CLASS (not of its subclasses) in NAMESPACE on this machine, each\n"
    "  property as text the way the agent reads it (CIM date-times in the basic ISO form).\n"
    "  Without PROPERTY, every property of the class. Messages of the WMI layer go to stderr.\n"
    "  --machine DIR  Linux: the machine root whose wmi/**/*.mof files are the repository\n"
    "                 (default: $TNW_MACHINE_ROOT, else /var/lib/tarnwell)\n"
    "  Exit status: 0 listed, 1 the connection or the enumeration failed, 2 bad arguments.\n";

int usage(const std::string& problem) {
  std::fprintf(stderr, "wmiquery: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--machine") {
      if (i + 1 >= argc) return usage("--machine takes a folder");
      platform::setEnvironmentVariable(common::kMachineRootVariable, argv[++i]);
    } else if (!a.empty() && a[0] == '-') {
      return usage("unknown option '" + a + "'");
    } else {
      words.push_back(a);
    }
  }
  if (words.size() < 2) return usage("NAMESPACE and CLASS are needed");

  // The repository's problems are traced under the collectors' module:
  // show them unless the caller chose the traces already.
  if (!std::getenv("TNW_TRACE")) platform::setEnvironmentVariable("TNW_TRACE", "VDIEndpointMonitor/VDIEndpoint/Agent");
  common_services::logService()->reload();
  PrintingErrorServiceC errors("wmiquery");
  common_services::overrideErrorService(&errors, false);

  int result = 0;
  {
    const StringC className = StringC::fromUtf8(words[1]);
    RefM<WMIServiceC> wmi = new WMIServiceC(StringC::fromUtf8("."), StringC::fromUtf8(words[0]), StringC(), StringC());
    RefM<WMIEnumC> walk = wmi->enumerateClass(className);
    if (!wmi->isConnected() || !walk) {
      result = 1;
    } else {
      uint32_t n = 0;
      while (RefM<WMIInstanceC> instance = walk->next()) {
        std::vector<StringC> names;
        for (size_t i = 2; i < words.size(); ++i) names.push_back(StringC::fromUtf8(words[i]));
        if (names.empty()) names = instance->propertyNames();
        if (n) std::printf("\n");
        std::printf("%s #%u\n", className.c_str(), ++n);
        for (const StringC& name : names) std::printf("  %s = %s\n", name.c_str(), instance->property(name).c_str());
      }
      // The end of the walk is WBEM_S_FALSE; anything else ended it early.
      if (wmi->status() != platform::kWbemSFalse) result = 1;
      if (n == 0 && result == 0) std::printf("no instances of %s\n", className.c_str());
    }
  }
  common_services::restoreErrorService();
  return result;
}
