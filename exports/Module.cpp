// Start-up and shut-down of libbrenmo.so as the host's extension module.
//
// The library-wide objects of the subsystems (the method-file texts, the options record of
// OpenFile, the group column cache, and the registries and states of later subsystems) are
// objects of static storage duration in their own subsystem: the loader constructs them when the
// library is loaded and destroys them when it is unloaded. What remains for this file is the
// registration with the host's application framework.
#include "platform/Export.h"
