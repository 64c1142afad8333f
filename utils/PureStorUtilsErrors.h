// Argument validation and the one way errors reach a record.
#ifndef PURESTOR_UTILS_ERRORS_H
#define PURESTOR_UTILS_ERRORS_H

#include "HostLog.h"
#include "KXSOCodes.h"
#include "KXSOOSUtil.h"
#include "KXSOSnapInfo.h"

// The plug-in's one global host log, made at load and destroyed at unload.
extern HostLog g_HostLog;

// true when a record-taking call may proceed: count >= 1, a record array
// with a first record, a util, and no null among the first count records.
// Logs the reason otherwise; touches no record.
bool checkPassedInDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);

// With record, context and message all non-null: logs the message as text
// at level 2 under the context, then sets (code, message) on the record.
// The message is cut to 2046 characters, as the host's error buffer holds.
void setError(KXSO::SnapInfo* record, int code, const char* context, const char* message);

// setError with a printf-style message formatted into the error buffer.
void setErrorF(KXSO::SnapInfo* record, int code, const char* context, const char* fmt, ...)
    __attribute__((format(printf, 4, 5)));

#endif  // PURESTOR_UTILS_ERRORS_H
