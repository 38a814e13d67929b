#include <filesystem>

#include "reg_fixture.h"

namespace config_test {

RegFixtureC::RegFixtureC() { test_support::setEnv("TNW_MACHINE_ROOT", scratch_.file("machine")); }

RegFixtureC::~RegFixtureC() { test_support::unsetEnv("TNW_MACHINE_ROOT"); }

void RegFixtureC::import(const std::string& regText) {
  const std::string name = "registry/" + std::to_string(++imports_) + "-fixture.reg";
  files_.push_back(scratch_.file("machine/" + name));
  test_support::writeFile(files_.back(), toWow64Layout(regText));
}

void RegFixtureC::clear() {
  for (const std::string& f : files_) std::filesystem::remove(f);
  files_.clear();
}

void RegFixtureC::importRemote(const std::string& machine, const std::string& regText) {
  const std::string name = "machine/remote/" + machine + "/registry/" + std::to_string(++imports_) + "-fixture.reg";
  files_.push_back(scratch_.file(name));
  test_support::writeFile(files_.back(), toWow64Layout(regText));
}

}  // namespace config_test
