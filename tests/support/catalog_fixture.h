// Catalog files for the catalog tests: well-formed ones compiled from
// source, malformed ones built byte by byte.
#pragma once

#include <string>

#include "catalog_source.h"
#include "test_support.h"

inline std::string compiledCatalog(const std::string& source) {
  std::vector<std::string> errors;
  auto messages = mkcat::parseSource(source, errors);
  return mkcat::compile(std::move(messages), errors);
}

inline std::string be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

inline std::string entry(uint16_t set, uint16_t length, uint32_t message, uint32_t offset) {
  std::string e;
  e += static_cast<char>(set >> 8);
  e += static_cast<char>(set);
  e += static_cast<char>(length >> 8);
  e += static_cast<char>(length);
  return e + be32(message) + be32(offset);
}
