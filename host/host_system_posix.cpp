#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "host/host_system.h"

namespace host_system {

namespace {
volatile sig_atomic_t stopFlag = 0;
void onSignal(int) { stopFlag = 1; }
}  // namespace

std::string defaultPluginPath() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string dir = ".";
  if (n > 0) {
    std::string exe(buf, static_cast<size_t>(n));
    dir = exe.substr(0, exe.rfind('/'));
  }
  return dir + "/libvdiendpoint.so";
}

void setEnvironment(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

void installStopHandlers() {
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

bool stopRequested() { return stopFlag != 0; }

}  // namespace host_system
