// Faults injected into every step of a cycle that touches the disk, one at a
// time: the file service fails its Nth call for N = 1, 2, 3, ... (each slot
// in the way the system would: a missing directory, a full disk, a refused
// move), or the document's Kth write meets a full disk, or the upload
// directory vanishes or turns into a file between its check and the move,
// or the registry's files are damaged before the cycle's Nth registry read,
// until a cycle runs with the fault never reached. For each: no crash, no
// truncated document handed over, nothing left in the data directory, and
// once the fault is gone exactly one complete report has been delivered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "files/file_service.h"
#include "monitor_fixture.h"
#include "plugin/monitor/vdi_endpoint_monitor.h"
#include "runtime/threads/thread.h"

namespace fs = std::filesystem;

namespace {

using namespace monitor_fixture;

constexpr int32_t kDiskFull = static_cast<int32_t>(0x80070000u | ENOSPC);
constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070000u | EACCES);

enum class FaultE {
  kFailCall,                    // the Nth call of any slot fails
  kDiskFullOnWrite,             // the Nth write to a document finds the disk full
  kUploadDirectoryVanishes,     // before the Nth move, the target's directory is removed
  kUploadDirectoryBecomesFile,  // ... or replaced by a file of its name
};

const char* nameOf(FaultE fault) {
  switch (fault) {
    case FaultE::kFailCall: return "failed call";
    case FaultE::kDiskFullOnWrite: return "disk full on write";
    case FaultE::kUploadDirectoryVanishes: return "upload directory vanishes";
    case FaultE::kUploadDirectoryBecomesFile: return "upload directory becomes a file";
  }
  return "?";
}

// The built-in service with one fault at the Nth occasion of its kind.
class FaultyFileServiceC final : public FileServiceI {
 public:
  FaultyFileServiceC(FaultE fault, int n) : fault_(fault), n_(n) {}

  bool fired() const { return fired_; }
  std::string where() const { return where_; }

  bool isDirectory(const FileNameC& n) override { return due("isDirectory") ? false : real_.isDirectory(n); }
  bool isFile(const FileNameC& n) override { return due("isFile") ? false : real_.isFile(n); }
  bool setReadOnly(const FileNameC& n, bool r) override { return due("setReadOnly") ? false : real_.setReadOnly(n, r); }
  bool remove(const FileNameC& n, bool f, bool r) override { return due("remove") ? false : real_.remove(n, f, r); }
  bool createDirectory(const FileNameC& n, bool p) override {
    return due("createDirectory") ? false : real_.createDirectory(n, p);
  }
  int32_t move(const FileNameC& a, const FileNameC& b) override {
    if (due("move")) return kAccessDenied;
    moving(b);
    return real_.move(a, b);
  }
  int32_t moveNoReplace(const FileNameC& a, const FileNameC& b) override {
    if (due("moveNoReplace")) return kAccessDenied;
    moving(b);
    return real_.moveNoReplace(a, b);
  }
  std::FILE* openTextFile(const FileNameC& n, int32_t* status) override {
    if (due("openTextFile")) {
      if (status) *status = kDiskFull;
      return nullptr;
    }
    std::FILE* file = real_.openTextFile(n, status);
    if (!file || fault_ != FaultE::kDiskFullOnWrite) return file;
    return wrapWrites(file);
  }
  int32_t closeTextFile(std::FILE* f) override {
    if (!due("closeTextFile")) return real_.closeTextFile(f);
    real_.closeTextFile(f);  // what was written is there, but the close reports the disk full
    return kDiskFull;
  }

 private:
  // Counts the calls of every slot; true (once) at the Nth.
  bool due(const char* slot) {
    if (fault_ != FaultE::kFailCall || ++count_ != n_) return false;
    fired_ = true;
    where_ = slot;
    return true;
  }

  void moving(const FileNameC& to) {
    if (fault_ != FaultE::kUploadDirectoryVanishes && fault_ != FaultE::kUploadDirectoryBecomesFile) return;
    if (++count_ != n_) return;
    fired_ = true;
    const fs::path directory = fs::path(to.nativePath()).parent_path();
    where_ = "move into " + directory.filename().string();
    fs::remove_all(directory);
    if (fault_ == FaultE::kUploadDirectoryBecomesFile) test_support::writeFile(directory.string(), "in the way");
  }

  // The document's writes pass through a stream that meets a full disk at
  // the Nth write call (and at every later one: the disk stays full).
  struct WrappedC {
    FaultyFileServiceC* owner;
    std::FILE* inner;
  };
  std::FILE* wrapWrites(std::FILE* inner) {
    auto* state = new WrappedC{this, inner};
    cookie_io_functions_t io{};
    io.write = [](void* c, const char* data, size_t size) -> ssize_t {
      auto* w = static_cast<WrappedC*>(c);
      FaultyFileServiceC& self = *w->owner;
      if (self.fired_ || ++self.count_ == self.n_) {
        if (!self.fired_) self.where_ = "write " + std::to_string(self.n_);
        self.fired_ = true;
        errno = ENOSPC;
        return -1;
      }
      return std::fwrite(data, 1, size, w->inner) == size ? static_cast<ssize_t>(size) : -1;
    };
    io.close = [](void* c) -> int {
      auto* w = static_cast<WrappedC*>(c);
      const int32_t status = w->owner->real_.closeTextFile(w->inner);
      delete w;
      return status == 0 ? 0 : EOF;
    };
    std::FILE* outer = fopencookie(state, "w", io);
    if (!outer) {
      delete state;
      return inner;
    }
    // Unbuffered: every write of the document is one write call here.
    std::setvbuf(outer, nullptr, _IONBF, 0);
    return outer;
  }

  ZanFileServiceC real_;
  FaultE fault_;
  int n_;
  int count_ = 0;
  bool fired_ = false;
  std::string where_;
};

class FaultInjection : public Monitor {
 protected:
  // A fresh desktop for the next N (the fixture's copy is per test).
  void resetDesktop() {
    std::error_code ec;
    fs::remove_all(dataDirectory(), ec);
    fs::remove_all(uploadDirectory(), ec);
    loadPreferences();
  }
};

TEST_F(FaultInjection, NoFaultOfAnyStepLosesOrTruncatesAReport) {
  const std::string complete = demoDocument({kLedger, kChart, kMail});
  const FaultE faults[] = {FaultE::kFailCall, FaultE::kDiskFullOnWrite, FaultE::kUploadDirectoryVanishes,
                           FaultE::kUploadDirectoryBecomesFile};
  std::vector<std::string> reached;  // the steps that met a fault
  for (const FaultE fault : faults) {
    int runs = 0;
    for (int n = 1;; ++n) {
      SCOPED_TRACE(std::string(nameOf(fault)) + ", N = " + std::to_string(n));
      resetDesktop();
      FaultyFileServiceC faulty(fault, n);
      setFileService(&faulty);
      RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
      monitor->initialise();
      monitor->runCycle();
      setFileService(nullptr);
      const std::string where = faulty.where();
      if (!where.empty()) reached.push_back(where);
      SCOPED_TRACE("at " + (where.empty() ? std::string("no step") : where));

      // Whatever the fault did: no document waits in the data directory,
      // and what reached the upload directory is whole.
      EXPECT_TRUE(files(dataDirectory()).empty());
      for (const std::string& name : uploads()) EXPECT_EQ(upload(name), complete) << name;

      // The fault is gone (a file in the upload directory's place is
      // removed): the next cycle makes up for what was not delivered.
      std::error_code ec;
      if (fs::is_regular_file(uploadDirectory(), ec)) fs::remove(uploadDirectory(), ec);
      monitor->runCycle();
      EXPECT_TRUE(files(dataDirectory()).empty());
      const std::vector<std::string> delivered = uploads();
      ASSERT_EQ(delivered.size(), 1u) << "exactly one report once the fault is gone";
      EXPECT_EQ(upload(delivered[0]), complete);
      ++runs;
      if (!faulty.fired()) break;  // a cycle ran without reaching the fault: every step was tried
      ASSERT_LT(n, 200) << "the cycle never ends without a fault";
    }
    // Every kind of fault was met at least once before the fault-free run.
    EXPECT_GT(runs, 1) << nameOf(fault);
  }
  // The steps a cycle takes on the disk were all among them: the data and
  // upload directories made, the document opened, written and closed, and
  // moved to the upload directory.
  for (const char* step : {"createDirectory", "openTextFile", "write 1", "closeTextFile", "moveNoReplace",
                           "move into VdiAccess"})
    EXPECT_NE(std::find(reached.begin(), reached.end(), step), reached.end()) << step;
}

// The uploader missing, then installed: the document waits for it in the
// upload directory; the cycles with nothing new start the uploader again,
// quietly while it is still missing, until it starts; nothing is sent twice.
TEST_F(FaultInjection, AnUploaderInstalledLaterFindsTheOneWaitingReport) {
  const std::string complete = demoDocument({kLedger, kChart, kMail});
  const std::string path = getenv("PATH") ? getenv("PATH") : "";
  test_support::setEnv("PATH", scratch.path());
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  monitor->runCycle();
  ASSERT_EQ(uploads().size(), 1u);
  std::vector<std::string> messages = log();
  EXPECT_NE(std::find(messages.begin(), messages.end(),
                      "Execute returned \u201CFile Not Found:qbupload -r VdiAccess\u201D. "),
            messages.end());

  monitor->runCycle();  // still missing: tried again, not reported again
  EXPECT_TRUE(log().empty());

  test_support::setEnv("PATH", path);
  monitor->runCycle();
  EXPECT_EQ(log(), (std::vector<std::string>{"Execute \u201Cqbupload -r VdiAccess\u201D",
                                              "Execute returned \u201CStarted Successfully\u201D. "}));
  for (int i = 0; i < 500 && calls().empty(); ++i) ThreadC::sleep(10);
  EXPECT_EQ(calls(), "-r VdiAccess\n");
  EXPECT_TRUE(files(dataDirectory()).empty());
  ASSERT_EQ(uploads().size(), 1u);
  EXPECT_EQ(upload(uploads()[0]), complete);

  monitor->runCycle();  // started: nothing to do
  EXPECT_TRUE(log().empty());
  EXPECT_EQ(uploads().size(), 1u);
}

// An uploader that never started while the waiting document was sent by
// another run of it (or taken away): nothing is started for it any more.
TEST_F(FaultInjection, NoRetryOnceTheWaitingReportHasGone) {
  test_support::setEnv("PATH", scratch.path());
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  monitor->runCycle();
  ASSERT_EQ(uploads().size(), 1u);
  fs::remove(uploadDirectory() + "/" + uploads()[0]);
  test_support::setEnv("PATH", scratch.path() + ":" + tools.path());
  log();
  monitor->runCycle();
  monitor->runCycle();
  EXPECT_TRUE(log().empty());
  ThreadC::sleep(100);
  EXPECT_TRUE(calls().empty());
}

// The library's registry service with the registry's files damaged just
// before its Nth call: what a save by another program, or a package
// removing its keys, looks like from inside a cycle. The store behind the
// service notices a changed file on its next call, so the damage is seen
// by that call and every later one of the same cycle.
class DisturbedRegistryServiceC final : public tnw::RegistryServiceI {
 public:
  DisturbedRegistryServiceC(int n, std::function<void()> damage)
      : real_(*common_services::registryService()), n_(n), damage_(std::move(damage)) {}

  bool fired() const { return fired_; }
  std::string where() const { return where_; }

  tnw::Status valueExists(tnw::RegKey r, tnw::TextI* k, tnw::TextI* v, int32_t a, int32_t b) override {
    return at("valueExists"), real_.valueExists(r, k, v, a, b);
  }
  tnw::Status valueType(tnw::RegKey r, tnw::TextI* k, tnw::TextI* v, uint32_t* t) override {
    return at("valueType"), real_.valueType(r, k, v, t);
  }
  tnw::Status readText(tnw::RegKey r, tnw::TextI* k, tnw::TextI* v, tnw::TextI** out) override {
    return at("readText"), real_.readText(r, k, v, out);
  }
  tnw::Status readMultiString(tnw::RegKey r, tnw::TextI* k, tnw::TextI* v, tnw::TextI** items, int32_t capacity,
                              int32_t* count) override {
    return at("readMultiString"), real_.readMultiString(r, k, v, items, capacity, count);
  }
  tnw::Status enumValue(tnw::RegKey k, uint32_t i, tnw::TextI** name, uint32_t* type) override {
    return at("enumValue"), real_.enumValue(k, i, name, type);
  }
  tnw::Status openSubKey(tnw::RegKey k, tnw::TextI* sub, tnw::RegKey* out) override {
    return at("openSubKey"), real_.openSubKey(k, sub, out);
  }
  tnw::Status enumSubKey(tnw::RegKey k, uint32_t i, tnw::TextI** name) override {
    return at("enumSubKey"), real_.enumSubKey(k, i, name);
  }
  tnw::Status closeKey(tnw::RegKey k) override { return at("closeKey"), real_.closeKey(k); }
  tnw::TextI* rootName(tnw::RegKey r) override { return at("rootName"), real_.rootName(r); }
  tnw::Status openKey(tnw::RegKey r, tnw::TextI* sub, uint32_t access, tnw::RegKey* out) override {
    return at("openKey"), real_.openKey(r, sub, access, out);
  }
  tnw::Status reserved6() override { return real_.reserved6(); }
  tnw::Status reserved9() override { return real_.reserved9(); }
  tnw::Status reserved10() override { return real_.reserved10(); }
  tnw::Status reserved11() override { return real_.reserved11(); }
  tnw::Status reserved12() override { return real_.reserved12(); }
  tnw::Status reserved13() override { return real_.reserved13(); }
  tnw::Status reserved14() override { return real_.reserved14(); }
  tnw::Status reserved15() override { return real_.reserved15(); }
  tnw::Status reserved16() override { return real_.reserved16(); }
  tnw::Status reserved17() override { return real_.reserved17(); }
  tnw::Status reserved19() override { return real_.reserved19(); }
  tnw::Status reserved20() override { return real_.reserved20(); }
  tnw::Status reserved21() override { return real_.reserved21(); }

 private:
  void at(const char* slot) {
    if (++count_ != n_) return;
    fired_ = true;
    where_ = slot + std::string(" (call ") + std::to_string(n_) + ")";
    damage_();
  }

  tnw::RegistryServiceI& real_;
  int n_;
  std::function<void()> damage_;
  int count_ = 0;
  bool fired_ = false;
  std::string where_;
};

// The registry's files changing under the agent in the middle of a cycle,
// before each of its registry reads in turn: a file gone, cut short
// half-way through a save or inside its header, overwritten with bytes that
// are no .reg file, or the whole registry directory gone. The cycle that
// meets them writes nothing it cannot stand behind; once the files are whole
// again the next cycle delivers the whole desktop.
TEST_F(FaultInjection, RegistryFilesChangingDuringACycleLoseNoReport) {
  const std::string complete = demoDocument({kLedger, kChart, kMail});
  const std::string registry = machine.path() + "/registry";
  const std::string citrix = registry + "/20-citrix.reg";
  const std::string agent = registry + "/10-tarnwell.reg";
  const std::string wholeCitrix = test_support::readFile(citrix);
  const std::string wholeAgent = test_support::readFile(agent);
  const auto replace = [](const std::string& path, const std::string& bytes) {
    std::error_code ec;
    fs::remove(path, ec);
    test_support::writeFile(path, bytes);
  };
  const struct {
    const char* what;
    std::function<void()> damage;
  } cases[] = {
      {"the Citrix file removed", [&] { fs::remove(citrix); }},
      {"the Citrix file cut short half-way", [&] { replace(citrix, wholeCitrix.substr(0, wholeCitrix.size() / 2)); }},
      {"the Citrix file cut inside its header", [&] { replace(citrix, wholeCitrix.substr(0, 10)); }},
      {"the Citrix file no .reg file", [&] { replace(citrix, std::string("\x00\xff\xfe[HKEY_\r\n\"=\"\x01", 14)); }},
      {"the registry directory removed", [&] { fs::remove_all(registry); }},
  };
  for (const auto& c : cases) {
    int reachedCalls = 0;
    for (int n = 1;; ++n) {
      SCOPED_TRACE(std::string(c.what) + ", before registry call " + std::to_string(n));
      resetDesktop();
      fs::create_directories(registry);
      replace(citrix, wholeCitrix);
      replace(agent, wholeAgent);
      common_services::registryContext()->reload();
      RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
      monitor->initialise();

      DisturbedRegistryServiceC disturbed(n, c.damage);
      common_services::overrideRegistryService(&disturbed);
      monitor->runCycle();
      common_services::overrideRegistryService(nullptr);
      SCOPED_TRACE("at " + (disturbed.fired() ? disturbed.where() : std::string("no call")));
      EXPECT_TRUE(files(dataDirectory()).empty());
      // Whatever it reported is a whole document.
      for (const std::string& name : uploads()) {
        const std::string text = upload(name);
        EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><vdiAccess ", 0), 0u) << name;
        EXPECT_TRUE(text.size() > 14 && text.compare(text.size() - 14, 14, "</vdiAccess>\r\n") == 0) << name;
      }

      // The files whole again: unless the damaged cycle already reported
      // the whole desktop (the damage came after its last read), the next
      // cycle adds exactly one report, and that is the whole desktop.
      const std::vector<std::string> before = uploads();
      ASSERT_LE(before.size(), 1u);
      const bool wholeAlready = before.size() == 1 && upload(before[0]) == complete;
      fs::create_directories(registry);
      replace(citrix, wholeCitrix);
      replace(agent, wholeAgent);
      monitor->runCycle();
      EXPECT_TRUE(files(dataDirectory()).empty());
      std::vector<std::string> added;
      for (const std::string& name : uploads())
        if (std::find(before.begin(), before.end(), name) == before.end()) added.push_back(name);
      if (wholeAlready) {
        EXPECT_TRUE(added.empty()) << "nothing new to report";
      } else {
        ASSERT_EQ(added.size(), 1u) << "exactly one report once the files are whole";
        EXPECT_EQ(upload(added[0]), complete);
      }
      if (!disturbed.fired()) break;  // the cycle made fewer reads than N: every read was tried
      reachedCalls = n;
      ASSERT_LT(n, 500) << "the cycle never ends without reaching the damage";
    }
    // A cycle reads the registry more than once, and the damage met each read.
    EXPECT_GT(reachedCalls, 1) << c.what;
  }
}

}  // namespace
