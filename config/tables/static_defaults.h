// The static default table: (variable name, default text) rows that the
// default builder of the preferences stores in order, so a later row of the
// same name replaces an earlier one. Only the rows whose texts this agent
// relies on are held; other agents add theirs, one row per line, at their
// place in the suite's order.
#pragma once

#include <span>

struct StaticDefaultRowC {
  const char* name;
  const char* text;
};

std::span<const StaticDefaultRowC> staticDefaultRows();
