// InfoSet: an ordered set of information pieces, as a collector gathers
// them. Copies share the pieces. Two sets are compared on their `compared`
// pieces only; the visible pieces are written as attributes of an XML
// element. Used by the monitor thread alone.
#pragma once

#include <cstdint>
#include <string>

#include "collect/info/array.h"
#include "collect/info/info_piece.h"
#include "files/xml/xml_output_stream.h"

class InfoSet : public ArrayM<RefM<InfoPiece>> {
 public:
  InfoSet() = default;
  InfoSet(const InfoSet&) = default;
  InfoSet(InfoSet&&) = default;
  InfoSet& operator=(const InfoSet&) = default;
  InfoSet& operator=(InfoSet&&) = default;
  virtual ~InfoSet() = default;

  // True when the sets differ on their compared pieces: a different number
  // of them, or, with both lists in name order (the string type's byte
  // order, stable for equal names), a value that differs at some position.
  // Pieces without `compared` never make two sets differ.
  bool differsFrom(const InfoSet& other) const;

  // A hash of the compared values in the order differsFrom walks them: sets
  // that do not differ hash alike, so lists of sets can be matched through a
  // hash table (equal hashes are then confirmed with differsFrom).
  size_t comparisonHash() const;

  // One attribute (name, value) per piece that is not hidden, in set
  // order, on the element open on `out`; an empty value is still written.
  // Returns the stream's status (0, or its first error, after which the
  // rest is not tried).
  uint32_t writeAttributes(XmlOutputStreamI& out) const;
};
