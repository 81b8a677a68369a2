#include "suites/omUtestUtils.h"

#include <cstdio>
#include <cstring>

#include "platform/syProcessControl.h"
#include "platform/syStringFormatter.h"

#define OM_UTEST_CLASS "omUtestUtils"
#include "suites/omUtestCheck.h"

syPath omUtestUtils::uniquify_filename(const syString& base, const syString& extension) {
    int pid = 0;
    {
        syProcessControl process;
        pid = process.getpid();
    }
    syString text = syStringFormatter::format(L"%s_%d.%s", base, pid, extension);
    return syPath(text, nullptr, nullptr);
}

void omUtestUtils::write_data(const syPath& path, const char* text) {
    OM_UTEST_FUNCTION(write_data);
    OM_PREREQUISITE(path.delete_file(), "Prerequisite: delete existing file");
    std::FILE* fp = path.file_open(path.write_mode());
    if (!OM_PREREQUISITE(fp, "Prerequisite: unable to open file"))
        return;
    const std::size_t length = text ? std::strlen(text) : 0;
    if (length > 0)
        std::fwrite(text, 1, length, fp);
    std::fclose(fp);
}
