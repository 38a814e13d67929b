// What the process context needs of a variable environment: a deep copy.
// The preferences' environment (env_EnvironmentC) implements it; the
// context keeps its own copy of the environment it is given, since the
// giver destroys its copy while other threads read the context's.
#pragma once

#include <memory>

class ContextEnvironmentI {
 public:
  virtual ~ContextEnvironmentI() = default;
  // A copy sharing nothing with this object (its parameters copied too).
  virtual std::unique_ptr<ContextEnvironmentI> deepCopy() const = 0;
};
