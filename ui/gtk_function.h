// The windows reach a few GTK functions that wx does not wrap (window
// groups, signals, style providers, tool tips, native dialogs, size
// requests). They are looked up by name in the running program, where wx
// has already loaded GTK, so the build needs no GTK headers of its own; a
// function that is missing gives a null pointer and the caller goes without.
#pragma once

#include <dlfcn.h>

namespace ui {

template <class F>
F GtkFunction(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace ui
