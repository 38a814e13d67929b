// The launch of the suite's uploader after a document was handed over, and
// the report of how it went, in the agent's log (letter G, number 0).
//
// Runs on the monitor thread; the launch never waits for the uploader and
// leaves nothing of it behind in this process. The saved launch error is
// process-wide and meant for that one thread.
#pragma once

#include <cstdint>
#include <string>

namespace uploader_launch {

// The uploader and the rule it is to send (8-bit text, 21 characters).
inline constexpr char kUploaderCommand[] = "qbupload -r VdiAccess";

// Launch statuses.
inline constexpr int32_t kStarted = 0;
inline constexpr int32_t kUnspecifiedFailure = 1;
inline constexpr int32_t kOutOfResources = 2;
inline constexpr int32_t kBadFormat = 3;
inline constexpr int32_t kFileNotFound = 4;
inline constexpr int32_t kPathNotFound = 5;
inline constexpr int32_t kDdeFailure = 6;
inline constexpr int32_t kAccessDenied = 7;

// The whole launch of `command` (8-bit text, the system's code page): the
// saved launch error cleared, "Execute “<command>”" logged (0xE002008A),
// the shell launch, then reportLaunch. Returns the launch status.
int32_t launchUploader(const std::string& command = kUploaderCommand);

// A launch again after one that failed with `previous`: logged as
// launchUploader logs it, unless it fails with the same status again (that
// failure was reported already; a retry every cycle must not fill the log).
// Returns the launch status.
int32_t relaunchUploader(int32_t previous, const std::string& command = kUploaderCommand);

// The shell launch alone: a ProcessC made with the show-window option off
// and busy-cursor feedback on (destroyed after the launch), the command
// split (splitCommand), the program's short path when it has one (the file
// is then the part after its last "\" and the directory the part before,
// else the file is the program token and the directory empty), and
// platform::shellExecute with show command 5. A failure's system error
// becomes the saved launch error and is mapped by statusForError.
int32_t launchThroughShell(const std::string& command);

// The report of a launch: the text for `status` from the message catalog
// (its default in parentheses): 0 "Started Successfully" (0xE06900D7),
// 1 the system's message text of the saved launch error, 2 "Out Of Resorces"
// (0xE06900CD), 3 "Bad Format" (0xE06900D1), 4 "File Not Found:" (0xE06900D4)
// and 5 "Path Not Found:" (0xE06900E7) each followed directly by the
// command, 6 "DDE Failure" (0xE06900E1), 7 "Access denied" (0xE06900EB);
// any other status, and status 1 when the system has no text for the error,
// "Unspecified Failure" (0xE06900CF). Logs "Execute returned “<text>”. "
// (0xE002008B) and returns `status`.
int32_t reportLaunch(const std::string& command, int32_t status);

// The launch status for the error of a failed shell launch: 0, 4 and 8 out
// of resources; 11 and 27 bad format; 2 and 31 file not found; 3 path not
// found; 28, 29 and 30 DDE failure; 5 access denied; anything else
// unspecified. The numbers are those the shell answers, some of them its
// own SE_ERR_ results rather than Win32 codes.
int32_t statusForError(uint32_t error);

// The system error of the last failed launch; 0 after one that started or
// before any.
uint32_t savedLaunchError();

// A command split as the launch splits it. The program is the first token
// after leading white space, ending at white space outside double quotes,
// its double quotes removed. The parameters are the command's text after as
// many characters as the program has, counted from the command's start
// (" -r VdiAccess", with its blank, for the uploader's command; empty when
// nothing follows). Leading white space and quotes therefore shift the
// parameters: the uploader's command has neither.
struct CommandPartsC {
  std::string program;
  std::string parameters;
};
CommandPartsC splitCommand(const std::string& command);

}  // namespace uploader_launch
