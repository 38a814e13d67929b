#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/path.h"
#include "platform/shell_execute.h"

extern char** environ;

namespace platform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string> commandLineArguments(const std::string& line) {
  std::vector<std::string> out;
  const size_t n = line.size();
  size_t i = 0;
  for (;;) {
    while (i < n && isBlank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !isBlank(line[i]))) {
      if (line[i] == '\\') {
        size_t backslashes = 0;
        for (; i < n && line[i] == '\\'; ++i) ++backslashes;
        if (i < n && line[i] == '"') {
          arg.append(backslashes / 2, '\\');
          if (backslashes % 2) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(backslashes, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    out.push_back(std::move(arg));
  }
  return out;
}

bool isExecutableFile(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The spawn's settings, made before the fork: the intermediate child of a
// multi-threaded process should do no more than spawn and report.
class SpawnSettingsC {
 public:
  explicit SpawnSettingsC(const std::string& directory) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
    if (!directory.empty()) keep(posix_spawn_file_actions_addchdir_np(&actions_, directory.c_str()));
    keep(posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0));
    keep(posix_spawn_file_actions_addclosefrom_np(&actions_, 3));
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    keep(posix_spawnattr_setsigmask(&attributes_, &none));
    keep(posix_spawnattr_setsigdefault(&attributes_, &all));
    keep(posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID));
  }
  ~SpawnSettingsC() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnSettingsC(const SpawnSettingsC&) = delete;
  SpawnSettingsC& operator=(const SpawnSettingsC&) = delete;

  int error() const { return error_; }
  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  void keep(int rc) {
    if (rc != 0 && error_ == 0) error_ = rc;
  }
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
  int error_ = 0;
};

bool failWith(uint32_t code, uint32_t* error) {
  if (error) *error = code;
  return false;
}

}  // namespace

bool shellExecute(const std::string& file, const std::string& parameters, const std::string& directory, int32_t,
                  uint32_t* error) {
  const std::string dir = directory.empty() ? std::string() : nativePath(directory);
  const std::string program = nativePath(file);
  std::string path = program;
  if (!dir.empty() && !program.empty() && program.find('/') == std::string::npos &&
      isExecutableFile(dir + "/" + program))
    path = "./" + program;

  std::vector<std::string> args = commandLineArguments(parameters);
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  const SpawnSettingsC settings(dir);
  if (settings.error()) return failWith(win32FromErrno(settings.error()), error);

  int channel[2];
  if (pipe2(channel, O_CLOEXEC) != 0) return failWith(win32FromErrno(errno), error);
  const pid_t middle = fork();
  if (middle == 0) {
    pid_t started = 0;
    const int rc = posix_spawnp(&started, path.c_str(), settings.actions(), settings.attributes(), argv.data(), environ);
    const ssize_t written = write(channel[1], &rc, sizeof rc);
    _exit(written == static_cast<ssize_t>(sizeof rc) ? 0 : 1);
  }
  const int forkError = errno;
  close(channel[1]);
  if (middle < 0) {
    close(channel[0]);
    return failWith(win32FromErrno(forkError), error);
  }

  int result = 0;
  size_t got = 0;
  while (got < sizeof result) {
    const ssize_t n = read(channel[0], reinterpret_cast<char*>(&result) + got, sizeof result - got);
    if (n > 0) {
      got += static_cast<size_t>(n);
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  close(channel[0]);
  // ECHILD: the host ignores SIGCHLD (the kernel reaped the child) or
  // another of its threads waited for it first.
  while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }

  // The middle child ended without a word: nothing was started.
  if (got != sizeof result) return failWith(kErrorProcessAborted, error);
  if (result != 0) {
    // 31, the shared mapping's answer for an errno it has no name for, is
    // also the shell's "no association" (a missing file to the launch
    // report): an unnamed error is an unspecified failure instead.
    const uint32_t code = win32FromErrno(result);
    return failWith(code == kErrorGenFailure ? kErrorInvalidFunction : code, error);
  }
  if (error) *error = 0;
  return true;
}

uint32_t shortPathName(const std::string& path, std::string* shortPath) {
  struct stat st{};
  if (stat(nativePath(path).c_str(), &st) != 0) return win32FromErrno(errno);
  if (shortPath) *shortPath = path;
  return 0;
}

}  // namespace platform
