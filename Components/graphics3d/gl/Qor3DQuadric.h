// GLU's quadric calls drawn through the current function table. Back-ends whose GL calls do
// not reach the system's libGLU (OSMesa: GLU dispatches through the window-system library)
// resolve the GLU entries to these.
#pragma once

// The built-in entry point of a GLU function by name ("gluSphere"), nullptr if there is none.
void* BuiltInGLUProcAddress(const char* Name);
