// Entities in hostile documents: exponential and quadratic expansion, and
// external entities and DTDs that point at local files, devices and the
// network. Every load ends quickly in a clean failure or a clean load, reads
// no file it was not allowed to and never opens a connection.

#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "hostile_support.h"
#include "platform/syPath.h"

namespace {

// Ten levels of ten references each: 10^9 copies of "lol".
std::string laughs(const std::string& body) {
    std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol0 \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        text += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            text += "&lol" + std::to_string(level - 1) + ";";
        text += "\">\n";
    }
    return text + "]>\n" + body;
}

// One entity of 100 000 bytes referenced 20 000 times through item.
std::string quadratic(const std::string& item) {
    std::string text = "<!DOCTYPE r [<!ENTITY a \"" + std::string(100000, 'a') + "\">]><r>";
    for (int i = 0; i < 20000; ++i)
        text += item;
    return text + "</r>";
}

std::string entity_doc(const std::string& system, const std::string& body = "<r>&x;</r>") {
    return "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + system + "\">]>" + body;
}
std::string parameter_doc(const std::string& system) {
    return "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + system + "\"> %p;]><r>&x;</r>";
}

omLoadOptions resolving() {
    omLoadOptions options;
    options.set_disable_entity_resolution(false);
    return options;
}

std::string root_text(const omLoadOutcome& outcome) {
    return narrow(outcome.document->getDocumentElement()->get_text());
}

// True when the file at path is opened or read while step runs.
bool touches(const std::string& path, const std::function<void()>& step) {
    int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(::inotify_add_watch(fd, path.c_str(), IN_OPEN | IN_ACCESS), 0);
    step();
    char events[4096];
    bool touched = ::read(fd, events, sizeof events) > 0;
    ::close(fd);
    return touched;
}

// A TCP socket listening on an ephemeral port of 127.0.0.1 that never
// accepts: a connection attempt stays queued, so connected() tells whether
// anyone tried.
class omLoopbackListener {
public:
    omLoopbackListener() : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(m_fd, 16) == 0 && ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~omLoopbackListener() { ::close(m_fd); }
    int port() const { return m_port; }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
    bool connected() const {
        int client = ::accept(m_fd, nullptr, nullptr);
        if (client >= 0)
            ::close(client);
        return client >= 0;
    }

private:
    int m_fd;
    int m_port = 0;
};

} // namespace

// Refused expansions: no document, a message about entities, within a
// second, in bounded memory. A caller that raises the expansion limit does
// not lift the bound on the size of the result.
TEST(HostileEntities, BillionLaughsAndQuadraticBlowUpFailFast) {
    omLoadOptions raised;
    raised.set_entity_expansion_limit(2000000000);
    const std::pair<std::string, omLoadOptions> cases[] = {
        {laughs("<lolz>&lol9;</lolz>"), omLoadOptions()}, {laughs("<lolz a=\"&lol9;\"/>"), omLoadOptions()},
        {laughs("<lolz>&lol9;</lolz>"), raised},          {quadratic("&a;"), omLoadOptions()},
        {quadratic("<e>&a;</e>"), omLoadOptions()},       {quadratic("<e a=\"&a;\"/>"), omLoadOptions()}};
    for (const auto& [text, options] : cases) {
        SCOPED_TRACE(text.substr(text.size() - 24));
        omLoadOutcome outcome;
        omCost cost = measure([&] { outcome = load_text(text, options); });
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_FALSE(outcome.error.invalid());
        EXPECT_TRUE(mentions(outcome.message(), "entit")) << outcome.message();
        EXPECT_LT(cost.seconds, 1.0 * time_scale());
        EXPECT_LT(cost.peak_growth_kb, 64 * 1024) << "kB of peak memory growth (-1: unknown)";
    }
}

// Escapes of the five predefined entities expand nothing: many of them, in
// content or in attribute values, load under the default options.
TEST(HostileEntities, PredefinedEscapesAreNotExpansions) {
    std::string escapes;
    for (int i = 0; i < 60000; ++i)
        escapes += "&amp;&lt;";
    omLoadOutcome content = load_text("<r>" + escapes + "</r>");
    ASSERT_NE(content.document, nullptr) << content.message();
    EXPECT_EQ(root_text(content).size(), 120000u);
    omLoadOutcome attribute = load_text("<r a=\"" + escapes + "\"/>");
    ASSERT_NE(attribute.document, nullptr) << attribute.message();
    EXPECT_EQ(narrow(attribute.document->getDocumentElement()->getAttribute(wide("a"))).size(), 120000u);
    omLoadOptions none;
    none.set_entity_expansion_limit(0);
    omLoadOutcome strict = load_text("<r a=\"&gt;\">&lt;</r>", none);
    ASSERT_NE(strict.document, nullptr) << strict.message();
    EXPECT_EQ(narrow(strict.document->getDocumentElement()->getAttribute(wide("a"))), ">");
}

// By default no external entity or DTD is read: references to them fail,
// and a document that only names an external DTD loads without it.
TEST(HostileEntities, LocalExternalEntitiesAreNeverReadByDefault) {
    omTempDir dir;
    std::string secret = dir.write("secret.txt", "SECRET-TEXT");
    std::string dtd = dir.write("r.dtd", "<!ENTITY x \"SECRET-TEXT\">");
    EXPECT_FALSE(touches(secret, [&] {
        for (const std::string& text : {entity_doc(secret), entity_doc("file://" + secret), parameter_doc(secret)}) {
            omLoadOutcome outcome = load_text(text);
            EXPECT_EQ(outcome.document, nullptr);
            EXPECT_TRUE(mentions(outcome.message(), "entit")) << outcome.message();
        }
    }));
    EXPECT_FALSE(touches(dtd, [&] {
        omLoadOutcome plain = load_text("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>text</r>");
        ASSERT_NE(plain.document, nullptr) << plain.message();
        EXPECT_EQ(root_text(plain), "text");
        omLoadOutcome referring = load_text("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&x;</r>");
        EXPECT_EQ(referring.document, nullptr);
        EXPECT_FALSE(referring.message().empty());
    }));
}

// With resolution enabled, local entities and DTDs are read; a missing file
// is a failure, not an empty text.
TEST(HostileEntities, LocalExternalEntitiesAreReadWhenResolutionIsEnabled) {
    omTempDir dir;
    std::string secret = dir.write("secret.txt", "SECRET-TEXT");
    std::string dtd = dir.write("r.dtd", "<!ENTITY x \"from the DTD\">");
    EXPECT_TRUE(touches(secret, [&] {
        omLoadOutcome outcome = load_text(entity_doc(secret), resolving());
        ASSERT_NE(outcome.document, nullptr) << outcome.message();
        EXPECT_TRUE(outcome.error.invalid());
        EXPECT_EQ(root_text(outcome), "SECRET-TEXT");
    }));
    omLoadOutcome outcome = load_text("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&x;</r>", resolving());
    ASSERT_NE(outcome.document, nullptr) << outcome.message();
    EXPECT_EQ(root_text(outcome), "from the DTD");
    omLoadOutcome missing = load_text(entity_doc(dir.path() + "/absent.txt"), resolving());
    EXPECT_EQ(missing.document, nullptr);
    EXPECT_FALSE(missing.message().empty());
}

// Devices and FIFOs never end: reading one would hang the load or exhaust
// memory. The loads run in a child so that a hang fails the test instead of
// stopping it.
TEST(HostileEntities, ExternalEntityOnADeviceOrFifoFailsCleanly) {
    omTempDir dir;
    std::string fifo = dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& system : {std::string("/dev/zero"), fifo}) {
        SCOPED_TRACE(system);
        int status = run_in_child(
            [&] {
                omLoadOutcome outcome = load_text(entity_doc(system), resolving());
                return outcome.document ? 1 : outcome.message().empty() ? 2 : 0;
            },
            static_cast<int>(5 * time_scale()));
        EXPECT_EQ(status, 0) << "-1: the load hung";
    }
}

// Nothing on the network is fetched, with or without resolution: not an
// entity, a parameter entity or an external DTD.
TEST(HostileEntities, NetworkEntitiesAreNeverFetched) {
    omLoopbackListener listener;
    ASSERT_NE(listener.port(), 0);
    for (const std::string& text : {entity_doc(listener.url("/x")), parameter_doc(listener.url("/p"))}) {
        omLoadOutcome outcome = load_text(text);
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_TRUE(mentions(outcome.message(), "entit")) << outcome.message();
    }
    omLoadOutcome dtd = load_text("<!DOCTYPE r SYSTEM \"" + listener.url("/r.dtd") + "\"><r>text</r>");
    ASSERT_NE(dtd.document, nullptr) << dtd.message();
    EXPECT_EQ(root_text(dtd), "text");

    for (const std::string& text :
         {entity_doc(listener.url("/x")), parameter_doc(listener.url("/p")),
          "<!DOCTYPE r SYSTEM \"" + listener.url("/r.dtd") + "\"><r>text</r>",
          "<!DOCTYPE r PUBLIC \"-//omxml//test//EN\" \"" + listener.url("/public.dtd") + "\"><r>text</r>"}) {
        SCOPED_TRACE(text);
        omLoadOutcome outcome;
        omCost cost = measure([&] { outcome = load_text(text, resolving()); });
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_TRUE(mentions(outcome.message(), "network")) << outcome.message();
        EXPECT_LT(cost.seconds, 1.0 * time_scale());
    }

    EXPECT_FALSE(listener.connected());
}
