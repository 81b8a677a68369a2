#pragma once

#include <memory>
#include <string>

#include "factory/omDocumentFactory.h"

// Shared steps of the subcommands that work through the document factory.

// Registers the libxml2 back-end and locates the factory as "XMLService".
std::shared_ptr<omDocumentFactory> omxml_locate_factory();

// A path from a command-line argument (UTF-8), used unchanged.
syPath omxml_path_arg(const char* arg);

// True when the file can be opened for reading; otherwise writes
// "omxml <command>: cannot read FILE: reason" to stderr.
bool omxml_check_readable(const char* command, const char* file);

// The parse error as "FILE:LINE:COLUMN: message" (LINE and COLUMN left out
// when the back-end had none), without a trailing line feed.
std::string omxml_describe_error(const char* file, const omParseError& error);
