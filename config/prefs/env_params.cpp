#include "config/prefs/env_params.h"

void env_MultiParamC::set(const StringC& text) {
  clear();
  append(text);
}

StringC env_MultiParamC::get() { return cursor_ < items_.size() ? items_[cursor_].get() : StringC(); }

void env_MultiParamC::clear() {
  items_.clear();
  cursor_ = 0;
}

bool env_MultiParamC::next() {
  if (cursor_ < items_.size()) ++cursor_;
  return cursor_ < items_.size();
}

StringC env_MultiParamC::at(int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < items_.size() ? items_[static_cast<size_t>(index)].get()
                                                                    : StringC();
}

std::unique_ptr<QblEnvParamI> env_MultiParamC::clone() {
  auto copy = std::make_unique<env_MultiParamC>();
  copy->items_ = items_;
  copy->cursor_ = cursor_;
  return copy;
}

void env_FunCacheStringC::set(const StringC& text) {
  std::lock_guard<std::mutex> guard(lock_);
  text_ = text;
  computed_ = true;
}

StringC env_FunCacheStringC::get() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!computed_) {
    text_ = function_ ? function_->compute() : StringC();
    computed_ = true;
  }
  return text_;
}

std::unique_ptr<QblEnvParamI> env_FunCacheStringC::clone() {
  auto copy = std::make_unique<env_FunCacheStringC>(function_);
  std::lock_guard<std::mutex> guard(lock_);
  copy->computed_ = computed_;
  copy->text_ = text_;
  return copy;
}
