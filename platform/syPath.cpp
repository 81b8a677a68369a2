#include "platform/syPath.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

syPath::syPath(const syString& text, const syIFileOps*, const syIStringEncoding*) : m_text(text) {}

bool syPath::exists() const {
    struct stat st;
    return ::stat(m_text.to_utf8().c_str(), &st) == 0;
}

int syPath::delete_file() const {
    std::string name = m_text.to_utf8();
    if (::unlink(name.c_str()) == 0)
        return 1;
    return errno == ENOENT ? 1 : 0;
}

std::FILE* syPath::file_open(const char* mode) const { return std::fopen(m_text.to_utf8().c_str(), mode); }

kuString syPath::path() const {
    std::string name = m_text.to_utf8();
    return kuString(kuStringArray(), name.data(), static_cast<int>(name.size()));
}
