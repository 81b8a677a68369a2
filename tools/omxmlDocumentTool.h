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

// The one wording of every command for a file it cannot read:
// "FILE: cannot read: reason".
std::string omxml_cannot_read(const std::string& file, const std::string& reason);

// True when the file can be read; otherwise writes omxml_cannot_read's line
// to stderr.
bool omxml_check_readable(const std::string& file);

// Why nothing can be written at path ("is a directory", the system's reason),
// or an empty text when it can; makes nothing and changes nothing.
std::string omxml_unwritable_reason(const std::string& path);

// The document at path, or for the path "-" the one in stdin_bytes.
std::shared_ptr<omDocument> omxml_load(omDocumentFactory& factory, const std::string& path,
                                       const std::string& stdin_bytes, const omLoadOptions& options,
                                       omParseError& error);

// The whole of standard input; false, with the system's reason, when it
// cannot be read.
bool omxml_read_stdin(std::string& bytes, std::string& reason);

// Text on one line: line breaks and the blanks around them become one blank.
std::string omxml_one_line(const std::string& text);

// The parse error as "FILE:LINE:COLUMN: message" (LINE and COLUMN left out
// when the back-end had none), on one line.
std::string omxml_describe_error(const std::string& file, const omParseError& error);
