// Everything the Windows platform stand-ins provide, in one include.
#pragma once

#include "platform/CString.h"
#include "platform/Collections.h"
#include "platform/LastError.h"
#include "platform/Profile.h"
#include "platform/SplitPath.h"
#include "platform/UserInterface.h"
#include "platform/WinPath.h"
#include "platform/WinTypes.h"
