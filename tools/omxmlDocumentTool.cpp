#include "tools/omxmlDocumentTool.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "backend/lxDocumentFactory.h"
#include "platform/syByteArray.h"
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
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return "is a directory";
    if (!S_ISREG(st.st_mode))
        return "not a regular file";
    // Opened without blocking: the path may have been replaced by a FIFO since.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    std::string reason = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? "" : "not a regular file";
    ::close(fd);
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
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return "is a directory";
        return ::access(path.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
    }
    if (errno != ENOENT)
        return std::strerror(errno);
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    if (::stat(folder.c_str(), &st) != 0)
        return std::strerror(errno);
    if (!S_ISDIR(st.st_mode))
        return std::strerror(ENOTDIR);
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? "" : std::strerror(errno);
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
