// Saving a document to a file never loses the file's previous content: a
// save whose write fails part-way, or that may not write in the directory,
// returns false, leaves the old file byte for byte and leaves no temporary
// file behind.

#include <csignal>
#include <map>
#include <string>
#include <vector>

#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "dom/omDocument.h"
#include "hostile_support.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"

namespace {

const rlim_t kFileSizeLimit = 64 * 1024;
const std::string kOldContent = "<?xml version=\"1.0\"?>\n<catalog><item id=\"old\">precious</item></catalog>\n";

// A document whose saved form is far larger than kFileSizeLimit.
std::shared_ptr<omDocument> big_document() {
    std::string text = "<catalog>";
    for (int i = 0; i < 20000; ++i)
        text += "<item id=\"" + std::to_string(i) + "\">some text of item " + std::to_string(i) + "</item>";
    return load_text(text + "</catalog>").document;
}

bool save_to(const std::shared_ptr<omDocument>& document, const std::string& path) {
    return backend_factory().saveDocument(document, syPath(wide(path)));
}

// Per entry name of the directory watched by fd, the events seen, in order:
// 'c'reated, 'w'ritten, 'd'eleted, 'r'enamed to.
std::map<std::string, std::string> events(int fd) {
    std::map<std::string, std::string> seen;
    alignas(inotify_event) char buffer[16384];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            auto* event = reinterpret_cast<inotify_event*>(p);
            char kind = (event->mask & IN_CREATE)   ? 'c'
                        : (event->mask & IN_MODIFY) ? 'w'
                        : (event->mask & IN_DELETE) ? 'd'
                                                    : 'r';
            std::string& history = seen[event->len ? std::string(event->name) : std::string()];
            if (history.empty() || history.back() != kind)
                history += kind;
            p += sizeof(inotify_event) + event->len;
        }
    }
    return seen;
}

} // namespace

// In a child no file may grow beyond kFileSizeLimit, and a write past it
// fails with EFBIG instead of killing the process. Replacing a file and
// creating a new one both fail.
TEST(AtomicSave, WriteFailingPartWayKeepsTheOldFile) {
    auto document = big_document();
    ASSERT_NE(document, nullptr);
    syByteArray expected;
    ASSERT_TRUE(backend_factory().saveDocument(document, expected));
    ASSERT_GT(expected.size(), static_cast<std::size_t>(kFileSizeLimit));
    omTempDir dir;
    std::string target = dir.write("data.xml", kOldContent);
    int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(fd, dir.path().c_str(), IN_CREATE | IN_MODIFY | IN_DELETE | IN_MOVED_TO), 0);
    int status = run_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{kFileSizeLimit, kFileSizeLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        return save_to(document, target) || save_to(document, dir.path() + "/new.xml") ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "1: a save reported success";
    EXPECT_EQ(read_bytes(target), kOldContent);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"data.xml"});

    // The failures came part-way: temporary files were created and written
    // to, then removed; the old file was never written or replaced.
    std::map<std::string, std::string> seen = events(fd);
    ::close(fd);
    EXPECT_EQ(seen.count("data.xml"), 0u);
    EXPECT_EQ(seen.count("new.xml"), 0u);
    ASSERT_FALSE(seen.empty());
    for (const auto& [name, history] : seen)
        EXPECT_EQ(history, "cwd") << name;
}

// Permission bits do not stop root, so the save runs in a child that gives
// up root's privileges first. The old file is writable by everyone, so only
// a save that wrote it in place could succeed.
TEST(AtomicSave, ReadOnlyDirectoryRefusesTheSave) {
    auto document = big_document();
    ASSERT_NE(document, nullptr);
    omTempDir dir;
    std::string target = dir.write("data.xml", kOldContent);
    ASSERT_EQ(::chmod(target.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    int status = run_in_child([&] {
        if (!drop_privileges())
            return kCannotDropPrivileges;
        return save_to(document, target) || save_to(document, dir.path() + "/new.xml") ? 1 : 0;
    });
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    if (status == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot give up root's privileges here, and root writes into any directory";
    EXPECT_EQ(status, 0) << "1: a save into the read-only directory reported success";
    EXPECT_EQ(read_bytes(target), kOldContent);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"data.xml"});
}
