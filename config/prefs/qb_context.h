// QBContextC: the process's preference context, which holds the variable
// environment every EnvPreferencesC of the process attaches to by default.
// Created on first use, kept for the process.
//
// replaceEnvironment (the plug-in's Start gives each run a fresh one) copies
// the given environment deeply into the one the context holds, instead of
// swapping objects: views made before keep a valid environment, and the
// caller may destroy its copy at once.
//
// Threads: process() is safe from any thread; the environment has no lock
// (filled on the start path before the monitor thread reads it).
#pragma once

#include "config/prefs/env_environment.h"

class QBContextC {
 public:
  static QBContextC& process();

  env_EnvironmentC* environment() { return &environment_; }
  void replaceEnvironment(const env_EnvironmentC& fresh) { environment_ = fresh; }

 private:
  QBContextC() = default;
  env_EnvironmentC environment_;
};
