#pragma once

/// @file
/// The assertion mechanism: SY_ASSERT and its hook.

#include "omxmlExport.h"

/// The platform's assertion mechanism. A failed SY_ASSERT is reported to the
/// current hook and execution goes on; it never aborts the process. The
/// default hook writes one line to stderr.
using syAssertHook = void (*)(const char* expression, const char* file, int line, const char* function);

/// Installs a hook (null restores the default) and returns the previous one.
OMXML_PLATFORM_API syAssertHook sy_set_assert_hook(syAssertHook hook);
/// Reports a failed assertion to the current hook; called by SY_ASSERT. Never aborts.
OMXML_PLATFORM_API void sy_assert_failed(const char* expression, const char* file, int line, const char* function);

/// Checks cond: when it is false, reports its text, file, line and function to the hook and goes on. The file
/// name is relative to the source root of the library that made the check.
#define SY_ASSERT(cond) ((cond) ? (void)0 : sy_assert_failed(#cond, __FILE__, __LINE__, __func__))
