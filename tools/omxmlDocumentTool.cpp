#include "tools/omxmlDocumentTool.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>

#include "backend/lxDocumentFactory.h"
#include "platform/syByteArray.h"
#include "platform/syFileSystem.h"
#include "tools/omxmlFileSet.h"

std::shared_ptr<omDocumentFactory> omxml_locate_factory(const char* command) {
    lx_register_xml_service();
    kuServiceName working;
    std::shared_ptr<omDocumentFactory> factory =
        kuService::get_instance()->locate_service<omDocumentFactory>(kuServiceName(kuString("XMLService")), working);
    if (!factory)
        std::fprintf(stderr, "omxml %s: no document factory registered as XMLService\n", command);
    return factory;
}

syPath omxml_path_arg(const std::string& arg) { return syPath(syString::from_utf8(arg)); }

std::string omxml_unreadable_reason(const std::string& path) {
    switch (syFileSystem::kind(path)) {
    case syFileSystem::missing:
        return std::strerror(ENOENT);
    case syFileSystem::directory:
        return "is a directory";
    case syFileSystem::other:
        return "not a regular file";
    case syFileSystem::regular:
        break;
    }
    // Opened without blocking: the path may have been replaced by a FIFO since.
    int fd = syFileSystem::open_read(path, true);
    if (fd < 0)
        return std::strerror(errno);
    std::string reason = syFileSystem::kind(fd) == syFileSystem::regular ? "" : "not a regular file";
    syFileSystem::close(fd);
    return reason;
}

std::string omxml_cannot_read(const std::string& file, const std::string& reason) {
    return file + ": cannot read: " + reason;
}

bool omxml_check_readable(const std::string& file) {
    const std::string reason = omxml_unreadable_reason(file);
    if (!reason.empty())
        std::fprintf(stderr, "%s\n", omxml_cannot_read(file, reason).c_str());
    return reason.empty();
}

std::string omxml_unwritable_reason(const std::string& path) {
    switch (syFileSystem::kind(path)) {
    case syFileSystem::directory:
        return "is a directory";
    case syFileSystem::other:
        return ""; // a device or FIFO is written as it is; opening it here could wait
    case syFileSystem::regular: {
        // Opened for appending, which changes nothing, to learn whether it may be written.
        std::FILE* out = syFileSystem::open_stream(path, "ab");
        if (!out)
            return std::strerror(errno);
        std::fclose(out);
        return "";
    }
    case syFileSystem::missing:
        break;
    }
    // A file made and removed at once: the folder's existence and permissions, as the system judges them.
    int fd = syFileSystem::create_new(path);
    if (fd < 0)
        return std::strerror(errno);
    syFileSystem::close(fd);
    syFileSystem::remove(path);
    return "";
}

std::shared_ptr<omDocument> omxml_load(omDocumentFactory& factory, const std::string& path,
                                       const std::string& stdin_bytes, const omLoadOptions& options,
                                       omParseError& error) {
    if (omxml_is_stdin(path))
        return factory.loadDocument(syByteArray(stdin_bytes.data(), stdin_bytes.size()), options, error);
    return factory.loadDocument(omxml_path_arg(path), options, error);
}

bool omxml_read_stdin(std::string& bytes, std::string& reason) {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    if (std::cin.bad()) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

std::string omxml_one_line(const std::string& text) {
    std::string line;
    bool blank = false;
    for (char c : text) {
        if (c == '\n' || c == '\r' || c == ' ' || c == '\t') {
            blank = !line.empty();
            continue;
        }
        if (blank)
            line += ' ';
        blank = false;
        line += c;
    }
    return line;
}

std::string omxml_describe_error(const std::string& file, const omParseError& error) {
    std::string text = file;
    if (error.line_number() >= 0) {
        text += ":" + std::to_string(error.line_number());
        if (error.column_number() >= 0)
            text += ":" + std::to_string(error.column_number());
    }
    return text + ": " + omxml_one_line(error.message().to_utf8());
}
