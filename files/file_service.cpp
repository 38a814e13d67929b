#include "files/file_service.h"

#include <atomic>
#include <cerrno>

#include "platform/file_system.h"
#include "platform/win32_error.h"
#include "tnwcmn/tnwcmn.h"
#include "platform/library_objects.h"

namespace {
std::atomic<FileServiceI*> installed{nullptr};
}  // namespace

FileServiceI& fileService() {
  if (FileServiceI* s = installed.load()) return *s;
  static ZanFileServiceC* builtIn = platform::library_objects::keep(new ZanFileServiceC);
  return *builtIn;
}

void setFileService(FileServiceI* service) { installed.store(service); }

bool ZanFileServiceC::isDirectory(const FileNameC& name) {
  const std::string native = name.nativePath();
  if (native.empty()) return false;
  const uint32_t a = platform::fileAttributes(native);
  return a != platform::kInvalidAttributes && (a & platform::kAttrDirectory) && !(a & platform::kAttrReparsePoint);
}

bool ZanFileServiceC::isFile(const FileNameC& name) {
  const uint32_t a = platform::fileAttributes(name.nativePath());
  return a != platform::kInvalidAttributes &&
         (a & (platform::kAttrDirectory | platform::kAttrDevice | platform::kAttrReparsePoint)) == 0;
}

bool ZanFileServiceC::setReadOnly(const FileNameC& name, bool readOnly) {
  const std::string native = name.nativePath();
  uint32_t a = platform::fileAttributes(native);
  if (a == platform::kInvalidAttributes) return false;
  a = readOnly ? (a | platform::kAttrReadOnly) : (a & ~platform::kAttrReadOnly);
  return platform::setFileAttributes(native, a) == platform::kErrorSuccess;
}

bool ZanFileServiceC::remove(const FileNameC& name, bool force, bool recursive) {
  const std::string native = name.nativePath();
  bool done;
  if (!isDirectory(name)) {
    const int e = platform::unlinkFile(native);
    done = e == 0 || e == ENOENT || e == ESRCH /* 3, as the runtime library's "path not found" */;
  } else {
    done = platform::removeDirectory(native) == 0;
    if (!done && recursive) done = platform::removeTree(native) == 0;
  }
  if (!done && force && setReadOnly(name, false)) return remove(name, false, recursive);
  return done;
}

bool ZanFileServiceC::createDirectory(const FileNameC& name, bool createParents) {
  if (name.isRoot()) return false;  // the root test looks through a "\\?\" prefix
  const std::string native = name.nativePath();
  if (native.empty()) return true;
  const int e = platform::makeDirectory(native);
  if (e == 0) return true;
  if (e == EEXIST) return isDirectory(name);
  if (e == ENOENT && createParents) {
    const FileNameC parent = name.parent();
    if (parent.isEmpty() || !createDirectory(parent, true)) return false;
    return platform::makeDirectory(native) == 0;
  }
  return false;
}

int32_t ZanFileServiceC::move(const FileNameC& from, const FileNameC& to) {
  const std::string src = from.nativePath();
  const std::string dst = to.nativePath();
  if (isFile(from) && isFile(to)) {
    if (platform::sameFile(src, dst, nullptr)) return 0;
    remove(to, false, true);
  }
  const int e = platform::renameFile(src, dst);
  if (e == 0) return 0;
  // The errno value stands where a Win32 code would: callers expect it so.
  return e > 0 ? tnw::hresultFromWin32(static_cast<uint32_t>(e)) : e;
}

namespace {

int32_t errnoStatus(int e) { return e > 0 ? tnw::hresultFromWin32(static_cast<uint32_t>(e)) : e; }

}  // namespace

int32_t ZanFileServiceC::moveNoReplace(const FileNameC& from, const FileNameC& to) {
  return errnoStatus(platform::renameNoReplace(from.nativePath(), to.nativePath()));
}

std::FILE* ZanFileServiceC::openTextFile(const FileNameC& name, int32_t* status) {
  int e = 0;
  std::FILE* file = name.isEmpty() ? nullptr : platform::openTextFileForWriting(name.nativePath(), &e);
  if (name.isEmpty()) e = ENOENT;
  if (status) *status = file ? 0 : errnoStatus(e ? e : EIO);
  return file;
}

int32_t ZanFileServiceC::closeTextFile(std::FILE* file) { return errnoStatus(platform::closeTextFile(file)); }
