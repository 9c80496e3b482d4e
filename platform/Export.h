// Visibility macro of the platform stand-in library: everything it declares is the platform's
// public surface, so it is exported whatever the including target's default visibility is.
#pragma once

#define PLATFORM_API __attribute__((visibility("default")))

/// Marks the engine's exported classes, functions and data: libbrenmo.so is built with hidden
/// visibility, so only what carries this macro is in its dynamic symbol table.
#define BRENMO_API __attribute__((visibility("default")))
