#pragma once

#include <memory>
#include <string>

#include "factory/omDocumentFactory.h"

// Shared steps of the subcommands that work through the document factory.

// Registers the libxml2 back-end and locates the factory as "XMLService";
// null after a message on stderr when none is found.
std::shared_ptr<omDocumentFactory> omxml_locate_factory(const char* command);

// A path from a command-line argument (UTF-8), used unchanged.
syPath omxml_path_arg(const std::string& arg);

// Why the file at path cannot be read as a document ("is a directory", "not a
// regular file", the system's reason), or an empty text when it can. Never
// waits on a FIFO or a device.
std::string omxml_unreadable_reason(const std::string& path);

// True when the file can be read; otherwise writes
// "omxml <command>: cannot read FILE: reason" to stderr.
bool omxml_check_readable(const char* command, const std::string& file);

// The parse error as "FILE:LINE:COLUMN: message" (LINE and COLUMN left out
// when the back-end had none), without a trailing line feed.
std::string omxml_describe_error(const std::string& file, const omParseError& error);
