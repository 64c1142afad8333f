// The PureStorUtils unit: device and array identification, metadata strings,
// client caches and options, and the mount / unmount / remote-execution
// helpers. One header per concern; this one brings them all in.
#ifndef PURESTOR_UTILS_H
#define PURESTOR_UTILS_H

#include "PureStorUtilsErrors.h"
#if __has_include("PureStorUtilsStrings.h")
#include "PureStorUtilsStrings.h"
#endif
#if __has_include("PureStorUtilsScsi.h")
#include "PureStorUtilsScsi.h"
#endif
#if __has_include("PureStorUtilsConfig.h")
#include "PureStorUtilsConfig.h"
#endif

#endif  // PURESTOR_UTILS_H
