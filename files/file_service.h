// The file service: all file-system work of the agent. Operations never
// throw; createDirectory and remove answer a boolean, move a result code
// (0 success, 0x80070000 | errno on failure). No state, no locks: any
// thread may call it.
#pragma once

#include <cstdint>
#include <cstdio>

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
  // Later additions (slots keep their order):
  // Moves only when `to` does not exist: 0, or 0x80070000 | errno
  // (EEXIST when the name is taken). A file of that name is never replaced.
  virtual int32_t moveNoReplace(const FileNameC& from, const FileNameC& to) = 0;
  // Opens `name` for writing in text mode (created or emptied; line feeds
  // stored as CR LF on every system), shared for reading and writing. Null
  // on failure, with 0x80070000 | errno in *status (may be null). The file
  // is closed with closeTextFile, whose result tells whether everything
  // written reached the file: 0, or 0x80070000 | errno.
  virtual std::FILE* openTextFile(const FileNameC& name, int32_t* status) = 0;
  virtual int32_t closeTextFile(std::FILE* file) = 0;
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
  int32_t moveNoReplace(const FileNameC& from, const FileNameC& to) override;
  std::FILE* openTextFile(const FileNameC& name, int32_t* status) override;
  int32_t closeTextFile(std::FILE* file) override;
};

// The installed file service, the built-in one unless replaced.
FileServiceI& fileService();
// Installs another service (null: the built-in one again). The service
// stays the caller's.
void setFileService(FileServiceI* service);
