// The monitor's cycles on a copy of the demo desktop (monitor_fixture.h).
#include "plugin/monitor/vdi_endpoint_monitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "files/file_service.h"
#include "monitor_fixture.h"
#include "plugin/monitor/vdi_endpoint_monitor_thread.h"
#include "trace_capture.h"

namespace fs = std::filesystem;

namespace {

using namespace monitor_fixture;

TEST_F(Monitor, TheFirstCycleHandsOverTheWholeDocument) {
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  ASSERT_TRUE(monitor->initialise());
  ASSERT_TRUE(monitor->runCycle());

  const std::vector<std::string> handed = uploads();
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_EQ(upload(handed[0]), demoDocument({kLedger, kChart, kMail}));
  // The session's user, the machine and the document's date-time name it.
  EXPECT_EQ(handed[0].rfind("Ada Lovelace on ", 0), 0u) << handed[0];
  EXPECT_TRUE(files(dataDirectory()).empty());
  const std::string target = uploadDirectory() + "/" + handed[0];
  const std::vector<std::string> expected = {
      "Started uploading endpoint data",
      "About to start uploading file '" + EnvPreferencesC().value(StringC::fromUtf8("MachineUploadDirectory")).toUtf8() +
          "\\VdiAccess\\" + handed[0] + "'",
      "Execute \u201Cqbupload -r VdiAccess\u201D",
      "Execute returned \u201CStarted Successfully\u201D. ",
      "Finished uploading endpoint data",
  };
  EXPECT_EQ(log(), expected);
  // The launch does not wait: the uploader may still be on its way.
  for (int i = 0; i < 500 && calls().empty(); ++i) ThreadC::sleep(10);
  EXPECT_EQ(calls(), "-r VdiAccess\n");
  // After the hand-off the rule's names are templates again.
  StringC file;
  EnvPreferencesC().get(file, StringC::fromUtf8("VDIFile"), false);
  EXPECT_EQ(file.toUtf8(), "$(MachineId) at $(DateTime).vdi");
}

TEST_F(Monitor, OnlyWhatIsNewIsReported) {
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  ASSERT_TRUE(monitor->runCycle());
  ASSERT_EQ(uploads().size(), 1u);
  fs::remove(uploadDirectory() + "/" + uploads()[0]);
  log();

  // Nothing new: no document, no upload, nothing logged.
  ASSERT_TRUE(monitor->runCycle());
  EXPECT_TRUE(uploads().empty());
  EXPECT_TRUE(log().empty());

  // One more application launched: a document with that one only, escaped.
  test_support::writeFile(machine.file("wmi/zz-fourth.mof"), kFourthApplication);
  ASSERT_TRUE(monitor->runCycle());
  const std::vector<std::string> handed = uploads();
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_EQ(upload(handed[0]),
            demoDocument({"Name=\"Paint &amp; &quot;Draw&quot;\" Version=\"2.0\" "
                          "PackageGUID=\"{9A0B1C2D-1111-4111-8111-111111111111}\" "
                          "LastLaunchOnSystem=\"20261210T120000Z\""}));

  // The Citrix information changes: a document with no application.
  fs::remove(uploadDirectory() + "/" + handed[0]);
  changeCatalog("Sales");
  ASSERT_TRUE(monitor->runCycle());
  ASSERT_EQ(uploads().size(), 1u);
  std::string expected = demoDocument({});
  expected.replace(expected.find("Finance Desktops"), 16, "Sales");
  EXPECT_EQ(upload(uploads()[0]), expected);
}

TEST_F(Monitor, AnUploadDirectoryThatCannotBeMadeLosesNoReport) {
  // A regular file where the upload folder's parent should be (root can
  // write anywhere, so permissions would not stop it).
  const std::string uploadsParent = fs::path(uploadDirectory()).parent_path().string();
  fs::create_directories(fs::path(uploadsParent).parent_path());
  test_support::writeFile(uploadsParent, "in the way");

  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  ASSERT_TRUE(monitor->runCycle());
  std::vector<std::string> messages = log();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "Started uploading endpoint data");
  EXPECT_EQ(messages[1], "ERROR: Could not create upload directory '" +
                             EnvPreferencesC().value(StringC::fromUtf8("MachineUploadDirectory")).toUtf8() +
                             "\\VdiAccess'");
  EXPECT_TRUE(files(dataDirectory()).empty()) << "a document that was not handed over stays behind";
  EXPECT_TRUE(calls().empty());

  // Still failing: written again (the state was reset), reported once.
  ASSERT_TRUE(monitor->runCycle());
  EXPECT_EQ(log(), std::vector<std::string>{"Started uploading endpoint data"});
  EXPECT_TRUE(files(dataDirectory()).empty());

  // The fault gone, the next cycle delivers the complete report.
  fs::remove(uploadsParent);
  ASSERT_TRUE(monitor->runCycle());
  ASSERT_EQ(uploads().size(), 1u);
  EXPECT_EQ(upload(uploads()[0]), demoDocument({kLedger, kChart, kMail}));
}

TEST_F(Monitor, ADataDirectoryThatCannotBeMadeIsReportedOnceAndLosesNoReport) {
  const std::string data = dataDirectory();
  fs::create_directories(fs::path(data).parent_path());
  test_support::writeFile(data, "in the way");

  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  ASSERT_TRUE(monitor->runCycle());
  EXPECT_EQ(log(), std::vector<std::string>{"ERROR: Could not create usage directory '" +
                                            EnvPreferencesC().value(StringC::fromUtf8("VDIDirectory")).toUtf8() + "'"});
  EXPECT_TRUE(uploads().empty());
  ASSERT_TRUE(monitor->runCycle());
  EXPECT_TRUE(log().empty()) << "reported again while the same fault lasts";

  fs::remove(data);
  ASSERT_TRUE(monitor->runCycle());
  ASSERT_EQ(uploads().size(), 1u);
  EXPECT_EQ(upload(uploads()[0]), demoDocument({kLedger, kChart, kMail}));
}

TEST_F(Monitor, AMissingUploaderLeavesTheDocumentWaiting) {
  test_support::setEnv("PATH", scratch.path());
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  ASSERT_TRUE(monitor->runCycle());
  const std::vector<std::string> messages = log();
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[3], "Execute returned \u201CFile Not Found:qbupload -r VdiAccess\u201D. ");
  ASSERT_EQ(uploads().size(), 1u) << "the document waits for the uploader's next run";
  // Handed over: nothing new next time.
  ASSERT_TRUE(monitor->runCycle());
  EXPECT_EQ(uploads().size(), 1u);
}

TEST_F(Monitor, TwoDocumentsOfTheSameNameBothWait) {
  // Day-long names: the second document's name is the first one's.
  setPreference("DateTimeFormat", "%Y%m%d");
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  test_support::setEnv("PATH", scratch.path());  // nobody takes them away
  ASSERT_TRUE(monitor->runCycle());
  changeCatalog("Sales");
  ASSERT_TRUE(monitor->runCycle());
  test_support::writeFile(machine.file("wmi/zz-fourth.mof"), kFourthApplication);
  ASSERT_TRUE(monitor->runCycle());
  const std::vector<std::string> handed = uploads();
  ASSERT_EQ(handed.size(), 3u);
  const std::string stem = handed[2].substr(0, handed[2].size() - 4);
  EXPECT_EQ(handed[0], stem + " (2).vdi");
  EXPECT_EQ(handed[1], stem + " (3).vdi");
  EXPECT_NE(upload(handed[2]).find("Finance Desktops"), std::string::npos) << "the first document was replaced";
}

TEST_F(Monitor, ADateTimeThatNoFileNameCanHoldIsMadeSafeOnce) {
  setPreference("DateTimeFormat", "%H:%M");
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  ASSERT_TRUE(monitor->runCycle());
  std::vector<std::string> messages = log();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0].rfind("The date-time text '", 0), 0u) << messages[0];
  EXPECT_NE(messages[0].find("' holds characters that a file name cannot hold; they become '_'"), std::string::npos);
  ASSERT_EQ(uploads().size(), 1u);
  EXPECT_EQ(uploads()[0].find(':'), std::string::npos) << uploads()[0];
  EXPECT_EQ(uploads()[0].size(), std::string("Ada Lovelace on X 00_00.vdi").size() - 1 +
                                     EnvPreferencesC().value(StringC::fromUtf8("MachineId")).toUtf8().size());

  test_support::writeFile(machine.file("wmi/zz-fourth.mof"), kFourthApplication);
  ASSERT_TRUE(monitor->runCycle());
  for (const std::string& m : log()) EXPECT_EQ(m.find("date-time text"), std::string::npos) << "warned twice";
}

TEST_F(Monitor, AnUnusableDateTimeFormatFallsBackToTheDefaultOnce) {
  setPreference("DateTimeFormat", "%Y%Q");
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  ASSERT_TRUE(monitor->runCycle());
  std::vector<std::string> messages = log();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0],
            "The date-time format '%Y%Q' gives no usable text (an unknown conversion, or more than 80 characters); "
            "'%Y%m%dT%H%M%S' is used instead");
  ASSERT_EQ(uploads().size(), 1u);
  // "<user> on <machine> YYYYMMDDTHHMMSS.vdi"
  const std::string name = uploads()[0];
  ASSERT_GT(name.size(), 20u);
  EXPECT_EQ(name[name.size() - 11], 'T') << name;

  test_support::writeFile(machine.file("wmi/zz-fourth.mof"), kFourthApplication);
  ASSERT_TRUE(monitor->runCycle());
  for (const std::string& m : log()) EXPECT_EQ(m.find("date-time format"), std::string::npos) << "warned twice";
}

// A file service whose text files go to a full disk.
class FullDiskServiceC final : public FileServiceI {
 public:
  bool isDirectory(const FileNameC& n) override { return real.isDirectory(n); }
  bool isFile(const FileNameC& n) override { return real.isFile(n); }
  bool setReadOnly(const FileNameC& n, bool r) override { return real.setReadOnly(n, r); }
  bool remove(const FileNameC& n, bool f, bool r) override { return real.remove(n, f, r); }
  bool createDirectory(const FileNameC& n, bool p) override { return real.createDirectory(n, p); }
  int32_t move(const FileNameC& a, const FileNameC& b) override { return real.move(a, b); }
  int32_t moveNoReplace(const FileNameC& a, const FileNameC& b) override { return real.moveNoReplace(a, b); }
  std::FILE* openTextFile(const FileNameC& n, int32_t* status) override {
    opened = n;
    std::FILE* placeholder = real.openTextFile(n, status);  // the name exists, as on a real full disk
    if (placeholder) real.closeTextFile(placeholder);
    return std::fopen("/dev/full", "w");
  }
  int32_t closeTextFile(std::FILE* f) override { return real.closeTextFile(f); }
  ZanFileServiceC real;
  FileNameC opened;
};

TEST_F(Monitor, ADocumentThatCannotBeWrittenWhollyIsNeverHandedOver) {
  test_support::TraceCaptureC traces(scratch.file("trace.txt"), kAgentModule);
  FullDiskServiceC full;
  setFileService(&full);
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  ASSERT_TRUE(monitor->runCycle());
  EXPECT_TRUE(uploads().empty());
  EXPECT_FALSE(full.opened.isEmpty());
  EXPECT_TRUE(files(dataDirectory()).empty()) << "the truncated document stays behind";
  const std::vector<std::string> lines = traces.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), std::string(kAgentModule) + ": Failed to upload data."), lines.end());

  setFileService(nullptr);
  ASSERT_TRUE(monitor->runCycle());
  ASSERT_EQ(uploads().size(), 1u);
  EXPECT_EQ(upload(uploads()[0]), demoDocument({kLedger, kChart, kMail}));
}

TEST_F(Monitor, DisabledTrackingCollectsNothing) {
  test_support::TraceCaptureC traces(scratch.file("trace.txt"), kAgentModule);
  setPreference("Disabled", "True");
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  EXPECT_FALSE(monitor->enabled());
  EXPECT_FALSE(monitor->runCycle());
  EXPECT_TRUE(uploads().empty());
  const std::vector<std::string> lines = traces.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      std::string(kAgentModule) + ": Tracking is disabled. Do nothing this time."),
            lines.end());
}

TEST_F(Monitor, ACitrixValueMissingFailsTheCycleAndKeepsTheState) {
  test_support::TraceCaptureC traces(scratch.file("trace.txt"), kAgentModule);
  fs::remove(machine.path() + "/registry/20-citrix.reg");
  test_support::writeFile(machine.file("registry/20-citrix.reg"),
                          "Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\"
                          "PolicyInputValues]\r\n\"BrokeringUserSID\"=\"S-1-5-21-1-2-3-1013\"\r\n");
  common_services::registryContext()->reload();
  RefM<VDIEndpointMonitor> monitor = new VDIEndpointMonitor;
  monitor->initialise();
  EXPECT_FALSE(monitor->runCycle());
  EXPECT_EQ(log(), std::vector<std::string>{"Citrix VDI endpoint information 'endPointClientName' is not found."});
  const std::vector<std::string> lines = traces.lines();
  const std::vector<std::string> expected = {std::string(kAgentModule) + ": Failed to collect Cittrix VDI info.",
                                             std::string(kAgentModule) + ": Failed to collect data."};
  std::vector<std::string> agent;
  for (const std::string& l : lines)
    if (l.find("Failed to collect") != std::string::npos) agent.push_back(l);
  EXPECT_EQ(agent, expected);
  EXPECT_TRUE(uploads().empty());
}

TEST(MonitorThread, DelayTextsAndTheirSeconds) {
  const struct {
    const char* text;
    int32_t seconds;
  } cases[] = {{"0", 0},   {"60", 60},      {"100000", 100000}, {"100001", 60}, {"-5", 60},
               {"abc", 60}, {"", 60},       {" 7 ", 7},         {"12x", 60},    {"99999999999999999999", 60}};
  for (const auto& c : cases)
    EXPECT_EQ(VDIEndpointMonitorThreadC::delaySeconds(StringC::fromUtf8(c.text)), c.seconds) << '"' << c.text << '"';
}

}  // namespace
