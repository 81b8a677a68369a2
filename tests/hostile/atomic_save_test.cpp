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

// A document whose saved form is far larger than kFileSizeLimit.
std::shared_ptr<omDocument> big_document() {
    std::string text = "<catalog>";
    for (int i = 0; i < 20000; ++i)
        text += "<item id=\"" + std::to_string(i) + "\">some text of item " + std::to_string(i) + "</item>";
    text += "</catalog>";
    omLoadOutcome outcome = load_text(text);
    return outcome.document;
}

const std::string kOldContent = "<?xml version=\"1.0\"?>\n<catalog><item id=\"old\">precious</item></catalog>\n";

bool save_to(const std::shared_ptr<omDocument>& document, const std::string& path) {
    return backend_factory().saveDocument(document, syPath(wide(path)));
}

// In a child: no file may grow beyond kFileSizeLimit, and a write past it
// fails with EFBIG instead of killing the process.
bool limit_file_size() {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{kFileSizeLimit, kFileSizeLimit};
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// Records what happens to the entries of one directory.
class omDirectoryWatch {
public:
    explicit omDirectoryWatch(const std::string& dir) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (m_fd >= 0)
            m_watch = ::inotify_add_watch(m_fd, dir.c_str(), IN_CREATE | IN_MODIFY | IN_DELETE | IN_MOVED_TO);
    }
    ~omDirectoryWatch() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ready() const { return m_fd >= 0 && m_watch >= 0; }
    // Per entry name, the events seen, in order: 'c'reated, 'w'ritten, 'd'eleted, 'r'enamed to.
    std::map<std::string, std::string> events() const {
        std::map<std::string, std::string> seen;
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (char* p = buffer; p < buffer + n;) {
                auto* event = reinterpret_cast<inotify_event*>(p);
                std::string name = event->len ? std::string(event->name) : std::string();
                char kind = (event->mask & IN_CREATE)   ? 'c'
                            : (event->mask & IN_MODIFY) ? 'w'
                            : (event->mask & IN_DELETE) ? 'd'
                                                        : 'r';
                std::string& history = seen[name];
                if (history.empty() || history.back() != kind)
                    history += kind;
                p += sizeof(inotify_event) + event->len;
            }
        }
        return seen;
    }

private:
    int m_fd;
    int m_watch = -1;
};

} // namespace

TEST(AtomicSave, WriteFailingPartWayKeepsTheOldFile) {
    auto document = big_document();
    ASSERT_NE(document, nullptr);
    omTempDir dir;
    std::string target = dir.write("data.xml", kOldContent);
    omDirectoryWatch watch(dir.path());
    ASSERT_TRUE(watch.ready());

    int status = run_in_child([&] {
        if (!limit_file_size())
            return 10;
        return save_to(document, target) ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "1: the save reported success";
    EXPECT_EQ(read_bytes(target), kOldContent);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"data.xml"});

    // The failure came part-way: a temporary file was created and written
    // to, then removed; the old file was never written or replaced.
    std::map<std::string, std::string> events = watch.events();
    EXPECT_EQ(events.count("data.xml"), 0u);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events.begin()->second, "cwd") << events.begin()->first;
}

TEST(AtomicSave, WriteFailingPartWayLeavesNoNewFile) {
    auto document = big_document();
    ASSERT_NE(document, nullptr);
    omTempDir dir;
    std::string target = dir.path() + "/new.xml";
    int status = run_in_child([&] {
        if (!limit_file_size())
            return 10;
        return save_to(document, target) ? 1 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(dir.entries().empty());
}

// The same save without the size limit succeeds and replaces the file with
// exactly the bytes a save to memory gives.
TEST(AtomicSave, UnlimitedSaveReplacesTheFile) {
    auto document = big_document();
    ASSERT_NE(document, nullptr);
    omTempDir dir;
    std::string target = dir.write("data.xml", kOldContent);
    ASSERT_TRUE(save_to(document, target));
    syByteArray expected;
    ASSERT_TRUE(backend_factory().saveDocument(document, expected));
    ASSERT_GT(expected.size(), static_cast<std::size_t>(kFileSizeLimit));
    EXPECT_EQ(read_bytes(target), std::string(expected.data(), expected.size()));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"data.xml"});
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
        bool replaced = save_to(document, target);
        bool created = save_to(document, dir.path() + "/new.xml");
        return replaced || created ? 1 : 0;
    });
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    if (status == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot give up root's privileges here, and root writes into any directory";
    EXPECT_EQ(status, 0) << "1: a save into the read-only directory reported success";
    EXPECT_EQ(read_bytes(target), kOldContent);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"data.xml"});
}
