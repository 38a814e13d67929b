// Handing back the library's process-wide objects (platform/library_objects.h)
// when a host unloads the library and goes on running.
//
// The objects go after the library's own static destructors (which may still
// use them): the hand-back is an exit handler of this library, registered
// before any of its statics exist, so the C runtime runs it last when it
// finalises the library (glibc's dlclose, the DLL runtime's detach). The
// same handlers run at process end, when nothing needs freeing and other
// threads may still be inside the agent: only an unload the entry has
// announced frees anything, and only when no thread of the agent is left.
//
// The ordering holds for a library loaded at run time (LoadLibrary, dlopen),
// as a plug-in is. Linked into a program at load time on Linux, its exit
// handler would be registered before the loader's finaliser and run after
// the entry's announcement at process exit.
#pragma once

// Called by the library entry, after the detach work, when the library is
// unloaded from a process that goes on (dlclose, FreeLibrary). Entry only.
void announceLibraryUnload();
