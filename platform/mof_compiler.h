// The Linux stand-in's WMI repository: classes and instances compiled from
// Managed Object Format files, the form in which WMI providers ship their
// classes. Portable code with no system calls but reading files; the Linux
// WMI back-end (wmi_posix.cpp), tools and fuzz targets use it.
//
// The language read (a subset of what mofcomp accepts):
//  - comments "// ..." and "/* ... */";
//  - #pragma namespace("\\\\.\\root\\x") (also "root\\x", or a name relative
//    to the current namespace); a file starts in "root\default"; every
//    pragma declares its namespace, even with nothing in it. Other pragmas
//    are ignored;
//  - qualifier lists "[...]" before classes, properties and instances, read
//    and ignored;
//  - class Name [: Superclass] { [qualifiers] type name[[]] [= value]; ... };
//    types: string, boolean, datetime, char16, real32, real64, sint8, uint8,
//    sint16, uint16, sint32, uint32, sint64, uint64, and "Class ref" for a
//    reference; a superclass must be declared before, in the same namespace;
//    method declarations ("type Name(parameters);") are read and ignored;
//  - instance of Name [as $alias] { name = value; ... }; Name a declared
//    class of the namespace (an instance of an undeclared class is
//    refused); the alias is read and ignored;
//  - "qualifier" declarations, read and ignored;
//  - values: strings with C escapes (\\ \" \n \t \r \xHHHH ...), adjacent
//    strings joined; decimal, hexadecimal (0x), octal and real numbers with
//    a sign; true, false, null; character literals 'c'; arrays {v, v, ...}.
// Names of namespaces, classes and properties compare without regard to
// ASCII case. Files are UTF-8 (a byte-order mark is skipped) or UTF-16LE
// with a byte-order mark; ill-formed UTF-8 reads as U+FFFD, reported.
//
// Bad input never crashes and never stops the compilation: each problem is
// reported as "FILE:LINE: what" and the declaration it spoils is skipped
// (a class with a bad property loses that property, one with a bad default
// value keeps the property without a default; an instance with a bad value
// loses that value, one of an undeclared class is refused). Limits,
// reported when reached: files larger than kMaxFileBytes are skipped, arrays
// hold at most kMaxArrayElements values, qualifier and value nesting stops
// at kMaxNesting, a namespace holds at most kMaxInstances instances, a
// namespace path is at most kMaxNamespaceLength bytes long (a longer pragma
// is ignored), and a repository at most kMaxValues property values (the
// defaults of its classes and the values of its instances together, an
// array counting one more per element), so that no input makes it grow
// past a bounded size.
// At most kMaxProblemsPerFile problems are reported per file, then one
// saying that the rest are not.
//
// A compiled RepositoryC is immutable; share it between threads freely.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wmi.h"

namespace platform::mof {

inline constexpr size_t kMaxFileBytes = 16u << 20;
inline constexpr size_t kMaxArrayElements = 65536;
inline constexpr size_t kMaxNesting = 32;
inline constexpr size_t kMaxInstances = 1u << 20;
inline constexpr size_t kMaxValues = 1u << 20;
inline constexpr size_t kMaxProblemsPerFile = 100;
inline constexpr size_t kMaxNamespaceLength = 1024;  // bytes of "root\\a\\b"

struct PropertyC {
  std::string name;      // as declared (UTF-8)
  int32_t cimType = 0;   // wmi::kCim..., with kCimFlagArray for an array
  wmi::VariantC value;   // the default: VT_NULL when the class gives none
};

struct ClassC {
  std::string name;
  std::string superclass;            // "" for none
  std::vector<PropertyC> properties; // inherited first, in declaration order
  // The index of a property in `properties`, -1 when there is none.
  int32_t find(std::string_view name) const;
};

struct InstanceC {
  const ClassC* cls = nullptr;       // its class, in the same namespace
  std::vector<wmi::VariantC> values; // one per property of the class
  std::string file;                  // where it was declared
  size_t line = 0;
};

struct NamespaceC {
  std::string name;  // "root\\microsoft\\appvirt\\client", as first declared
  // The classes by their lower-case name.
  std::map<std::string, std::unique_ptr<ClassC>> classes;
  // Every instance in declaration order.
  std::vector<InstanceC> instances;
  const ClassC* findClass(std::string_view name) const;
};

class RepositoryC {
 public:
  RepositoryC();
  RepositoryC(const RepositoryC&) = delete;
  RepositoryC& operator=(const RepositoryC&) = delete;

  // Compiles one file's bytes into the repository; `file` names it in the
  // problems.
  void compile(const std::string& file, std::string_view bytes);
  // Compiles every *.mof file below `directory` (recursively; in name
  // order of their paths). A missing directory is an empty repository.
  void compileDirectory(const std::string& directory);

  // A namespace by its path ("root\\x", "\\\\.\\root\\x" and "//./root/x"
  // are the same), null when no file declared it or a namespace below it.
  // "root" always exists.
  const NamespaceC* findNamespace(std::string_view path) const;
  bool namespaceExists(std::string_view path) const;
  // Every namespace the repository holds, "root" and those above declared
  // ones included, each by its name as first declared (a path findNamespace
  // takes), sorted by lower-case path. A fresh copy: compiling more adds
  // to later calls only.
  std::vector<std::string> namespaces() const;

  // "FILE:LINE: what", in the order found.
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  std::map<std::string, std::unique_ptr<NamespaceC>> namespaces_;  // by lower-case path
  std::vector<std::string> problems_;
  size_t values_ = 0;  // counted against kMaxValues
  friend class CompilerC;
};

// The files compileDirectory reads: every regular file below `directory`
// whose name ends in ".mof" (in any case), sorted by path. Links to files
// are followed (a dangling one is listed, so that reading it reports it),
// links to directories are not. A directory that cannot be read is
// reported in `problems` (may be null) as "DIR:0: what"; a missing
// `directory` gives none.
std::vector<std::string> mofFiles(const std::string& directory, std::vector<std::string>* problems = nullptr);

}  // namespace platform::mof
