// The file service: all file-system work of the agent. Operations never
// throw; createDirectory and remove answer a boolean, move a result code
// (0 success, 0x80070000 | errno on failure). No state, no locks: any
// thread may call it.
#pragma once

#include <cstdint>

#include "files/file_name.h"

class FileServiceI {
 public:
  virtual ~FileServiceI() = default;
  virtual bool isDirectory(const FileNameC& name) = 0;
  virtual bool isFile(const FileNameC& name) = 0;
  virtual bool setReadOnly(const FileNameC& name, bool readOnly) = 0;
  virtual bool remove(const FileNameC& name, bool force, bool recursive) = 0;
  virtual bool createDirectory(const FileNameC& name, bool createParents) = 0;
  virtual int32_t move(const FileNameC& from, const FileNameC& to) = 0;
};

class ZanFileServiceC final : public FileServiceI {
 public:
  bool isDirectory(const FileNameC& name) override;
  bool isFile(const FileNameC& name) override;
  bool setReadOnly(const FileNameC& name, bool readOnly) override;
  // Files: deleted (already gone counts as done). Directories: removed,
  // with their contents when recursive. force: a read-only name is made
  // writable and tried again.
  bool remove(const FileNameC& name, bool force, bool recursive) override;
  // A root is never created; an existing directory is success; an
  // existing file of that name is failure.
  bool createDirectory(const FileNameC& name, bool createParents) override;
  // Replaces a different existing file; a file moved onto itself stays.
  int32_t move(const FileNameC& from, const FileNameC& to) override;
};

// The installed file service, the built-in one unless replaced.
FileServiceI& fileService();
// Installs another service (null: the built-in one again). The service
// stays the caller's.
void setFileService(FileServiceI* service);
