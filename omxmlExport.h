#pragma once

/// @file
/// Export macros of the three shared libraries.

// What each shared library exports. The libraries are compiled with hidden
// visibility, so a declaration is part of a library's binary interface only
// when it carries that library's macro:
//
//   OMXML_PLATFORM_API  libomxml_platform  (platform/: sy, ku, qc)
//   OMXML_API           libomxml           (reader/, dom/, factory/, suites/)
//   OMXML_BACKEND_API   libomxml_backend   (the back-end's public headers)
//
// A library's build defines OMXML_BUILDING_PLATFORM, OMXML_BUILDING_OMXML or
// OMXML_BUILDING_BACKEND, which turns its own macro into an export; for
// everyone else the macro is an import (Windows) or plain default visibility.

#if defined(_WIN32) || defined(__CYGWIN__)
/// Marks a declaration as exported from the library being built.
#define OMXML_EXPORT_DECL __declspec(dllexport)
/// Marks a declaration as imported from one of the libraries.
#define OMXML_IMPORT_DECL __declspec(dllimport)
#elif defined(__GNUC__) || defined(__clang__)
/// Marks a declaration as exported from the library being built.
#define OMXML_EXPORT_DECL __attribute__((visibility("default")))
/// Marks a declaration as imported from one of the libraries.
#define OMXML_IMPORT_DECL __attribute__((visibility("default")))
#else
/// Marks a declaration as exported from the library being built.
#define OMXML_EXPORT_DECL
/// Marks a declaration as imported from one of the libraries.
#define OMXML_IMPORT_DECL
#endif

#if defined(OMXML_BUILDING_PLATFORM)
/// Marks the exported declarations of libomxml_platform.
#define OMXML_PLATFORM_API OMXML_EXPORT_DECL
#else
/// Marks the exported declarations of libomxml_platform.
#define OMXML_PLATFORM_API OMXML_IMPORT_DECL
#endif

#if defined(OMXML_BUILDING_OMXML)
/// Marks the exported declarations of libomxml.
#define OMXML_API OMXML_EXPORT_DECL
#else
/// Marks the exported declarations of libomxml.
#define OMXML_API OMXML_IMPORT_DECL
#endif

#if defined(OMXML_BUILDING_BACKEND)
/// Marks the exported declarations of libomxml_backend.
#define OMXML_BACKEND_API OMXML_EXPORT_DECL
#else
/// Marks the exported declarations of libomxml_backend.
#define OMXML_BACKEND_API OMXML_IMPORT_DECL
#endif

// Checks printf-style arguments against their format where the compiler can
// (format_index: the format's argument number; first_index: the first variadic one).
#if defined(__GNUC__) || defined(__clang__)
/// Lets the compiler check a printf-style function's arguments against its format.
#define OMXML_PRINTF_FORMAT(format_index, first_index)                                                                 \
    __attribute__((__format__(__printf__, format_index, first_index)))
#else
/// Lets the compiler check a printf-style function's arguments against its format.
#define OMXML_PRINTF_FORMAT(format_index, first_index)
#endif
