// Creating a widget that its Qt parent owns.
#pragma once

#include <memory>
#include <utility>

namespace pw {

// A new T built from `args` followed by `parent` (Qt constructors take the parent last), whose
// ownership passes at once to that parent: the parent deletes it with itself, so the returned
// pointer is an observer. `parent` must not be null, or the object would leak.
template <class T, class Parent, class... Args>
T* Child(Parent* parent, Args&&... args) {
  auto owned = std::make_unique<T>(std::forward<Args>(args)..., parent);
  return owned.release();  // the parent, set by the constructor, now owns it
}

}  // namespace pw
