#include "tools/omxmlDocumentTool.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "backend/lxDocumentFactory.h"

std::shared_ptr<omDocumentFactory> omxml_locate_factory() {
    lx_register_xml_service();
    kuServiceName working;
    return kuService::get_instance()->locate_service<omDocumentFactory>(kuServiceName(kuString("XMLService")), working);
}

syPath omxml_path_arg(const char* arg) { return syPath(syString::from_utf8(arg, std::strlen(arg))); }

bool omxml_check_readable(const char* command, const char* file) {
    struct stat st;
    const char* reason = nullptr;
    if (::stat(file, &st) != 0)
        reason = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        reason = "is a directory";
    else if (std::FILE* fp = std::fopen(file, "rb"))
        std::fclose(fp);
    else
        reason = std::strerror(errno);
    if (reason)
        std::fprintf(stderr, "omxml %s: cannot read %s: %s\n", command, file, reason);
    return reason == nullptr;
}

std::string omxml_describe_error(const char* file, const omParseError& error) {
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
