#include "tools/omxmlDocumentTool.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "backend/lxDocumentFactory.h"
#include "platform/syFileSystem.h"

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

bool omxml_check_readable(const char* command, const std::string& file) {
    std::string reason = omxml_unreadable_reason(file);
    if (!reason.empty())
        std::fprintf(stderr, "omxml %s: cannot read %s: %s\n", command, file.c_str(), reason.c_str());
    return reason.empty();
}

std::string omxml_describe_error(const std::string& file, const omParseError& error) {
    std::string message = error.message().to_utf8();
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    std::string text = file;
    if (error.line_number() >= 0) {
        text += ":" + std::to_string(error.line_number());
        if (error.column_number() >= 0)
            text += ":" + std::to_string(error.column_number());
    }
    return text + ": " + message;
}
