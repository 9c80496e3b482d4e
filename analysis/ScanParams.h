// The compound record of the searches, where programs built on the library have always included it.
#pragma once

#include "method/ScanParams.h"
