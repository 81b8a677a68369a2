#include "platform/syPath.h"

#include <cerrno>
#include <string>

#include "platform/syFileSystem.h"

syPath::syPath(const syString& text, const syIFileOps*, const syIStringEncoding*) : m_text(text) {}

bool syPath::exists() const { return syFileSystem::kind(m_text.to_utf8()) != syFileSystem::missing; }

int syPath::delete_file() const {
    if (syFileSystem::remove(m_text.to_utf8()))
        return 1;
    return errno == ENOENT ? 1 : 0;
}

std::FILE* syPath::file_open(const char* mode) const { return syFileSystem::open_stream(m_text.to_utf8(), mode); }

kuString syPath::path() const {
    std::string name = m_text.to_utf8();
    return kuString(kuStringArray(), name.data(), static_cast<int>(name.size()));
}
