#include "PureStorUtilsErrors.h"

HostLog g_HostLog;
