// Entities in hostile documents: exponential and quadratic expansion, and
// external entities and DTDs that point at local files, devices and the
// network. Every load ends quickly in a clean failure or a clean load, reads
// no file it was not allowed to and never opens a connection.

#include <cerrno>
#include <cstring>
#include <string>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "hostile_support.h"

namespace {

// Ten levels of ten references each: 10^9 copies of "lol".
std::string laughs(const std::string& body) {
    std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n";
    for (int level = 1; level <= 9; ++level) {
        std::string previous = level == 1 ? "lol" : "lol" + std::to_string(level - 1);
        text += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i)
            text += "&" + previous + ";";
        text += "\">\n";
    }
    return text + "]>\n" + body;
}

// One entity of 100 000 bytes referenced `references` times through `item`.
std::string quadratic(const std::string& item, int references) {
    std::string text = "<!DOCTYPE r [<!ENTITY a \"" + std::string(100000, 'a') + "\">]><r>";
    for (int i = 0; i < references; ++i)
        text += item;
    return text + "</r>";
}

bool mentions(const std::string& message, const std::string& part) { return message.find(part) != std::string::npos; }

// Loads text and checks the exact outcome of a refused expansion: no
// document, a message about entities, within a second, in bounded memory.
void expect_refused_expansion(const std::string& text, const omLoadOptions& options = omLoadOptions()) {
    omLoadOutcome outcome;
    omCost cost = measure([&] { outcome = load_text(text, options); });
    EXPECT_EQ(outcome.document, nullptr);
    EXPECT_FALSE(outcome.error.invalid());
    EXPECT_TRUE(mentions(outcome.message(), "entit")) << outcome.message();
    EXPECT_LT(cost.seconds, 1.0 * time_scale());
    if (cost.peak_growth_kb >= 0) {
        EXPECT_LT(cost.peak_growth_kb, 64 * 1024) << "kB of peak memory growth";
    }
}

} // namespace

TEST(HostileEntities, BillionLaughsInContentFailsFast) { expect_refused_expansion(laughs("<lolz>&lol9;</lolz>")); }

TEST(HostileEntities, BillionLaughsInAttributeFailsFast) { expect_refused_expansion(laughs("<lolz a=\"&lol9;\"/>")); }

// A caller that raises the expansion limit does not lift the bound on the size of the result.
TEST(HostileEntities, BillionLaughsFailsFastUnderAnyLimit) {
    omLoadOptions options;
    options.set_entity_expansion_limit(2000000000);
    expect_refused_expansion(laughs("<lolz>&lol9;</lolz>"), options);
}

TEST(HostileEntities, QuadraticBlowUpInContentFailsFast) { expect_refused_expansion(quadratic("&a;", 20000)); }

TEST(HostileEntities, QuadraticBlowUpInElementsFailsFast) { expect_refused_expansion(quadratic("<e>&a;</e>", 20000)); }

TEST(HostileEntities, QuadraticBlowUpInAttributesFailsFast) {
    expect_refused_expansion(quadratic("<e a=\"&a;\"/>", 20000));
}

// Escapes of the five predefined entities expand nothing: many of them, in
// content or in attribute values, load under the default options.
TEST(HostileEntities, PredefinedEscapesAreNotExpansions) {
    std::string escapes;
    for (int i = 0; i < 60000; ++i)
        escapes += "&amp;&lt;";
    omLoadOutcome content = load_text("<r>" + escapes + "</r>");
    ASSERT_NE(content.document, nullptr) << content.message();
    EXPECT_EQ(narrow(content.document->getDocumentElement()->get_text()).size(), 120000u);
    omLoadOutcome attribute = load_text("<r a=\"" + escapes + "\"/>");
    ASSERT_NE(attribute.document, nullptr) << attribute.message();
    EXPECT_EQ(narrow(attribute.document->getDocumentElement()->getAttribute(wide("a"))).size(), 120000u);
    omLoadOptions none;
    none.set_entity_expansion_limit(0);
    omLoadOutcome strict = load_text("<r a=\"&gt;\">&lt;</r>", none);
    ASSERT_NE(strict.document, nullptr) << strict.message();
    EXPECT_EQ(narrow(strict.document->getDocumentElement()->getAttribute(wide("a"))), ">");
}

namespace {

// Watches one file for being opened or read.
class omAccessWatch {
public:
    explicit omAccessWatch(const std::string& path) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (m_fd >= 0)
            m_watch = ::inotify_add_watch(m_fd, path.c_str(), IN_OPEN | IN_ACCESS);
    }
    ~omAccessWatch() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ready() const { return m_fd >= 0 && m_watch >= 0; }
    // True when the file was opened or read since the watch began.
    bool touched() const {
        char events[4096];
        ssize_t n = ::read(m_fd, events, sizeof events);
        return n > 0;
    }

private:
    int m_fd;
    int m_watch = -1;
};

// A TCP socket listening on an ephemeral port of 127.0.0.1 that never
// accepts: a connection attempt stays queued, so connected() tells whether
// anyone tried.
class omLoopbackListener {
public:
    omLoopbackListener() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_fd, 16) != 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    ~omLoopbackListener() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int port() const { return m_port; }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
    bool connected() const {
        int client = ::accept(m_fd, nullptr, nullptr);
        if (client >= 0) {
            ::close(client);
            return true;
        }
        return false;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

omLoadOptions resolving() {
    omLoadOptions options;
    options.set_disable_entity_resolution(false);
    return options;
}

std::string root_text(const omLoadOutcome& outcome) {
    return narrow(outcome.document->getDocumentElement()->get_text());
}

} // namespace

// ---- local files ----------------------------------------------------------

TEST(HostileEntities, LocalExternalEntityIsNeverReadByDefault) {
    omTempDir dir;
    std::string secret = dir.write("secret.txt", "SECRET-TEXT");
    omAccessWatch watch(secret);
    ASSERT_TRUE(watch.ready());
    for (const std::string& system : {secret, "file://" + secret}) {
        SCOPED_TRACE(system);
        omLoadOutcome outcome = load_text("<!DOCTYPE r [<!ENTITY x SYSTEM \"" + system + "\">]><r>&x;</r>");
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_TRUE(mentions(outcome.message(), "entit")) << outcome.message();
    }
    EXPECT_FALSE(watch.touched());
}

TEST(HostileEntities, LocalExternalDtdIsNeverReadByDefault) {
    omTempDir dir;
    std::string dtd = dir.write("r.dtd", "<!ENTITY x \"SECRET-TEXT\">");
    omAccessWatch watch(dtd);
    ASSERT_TRUE(watch.ready());
    omLoadOutcome plain = load_text("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>text</r>");
    ASSERT_NE(plain.document, nullptr) << plain.message();
    EXPECT_EQ(root_text(plain), "text");
    // Without the DTD the reference is to an undeclared entity.
    omLoadOutcome referring = load_text("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&x;</r>");
    EXPECT_EQ(referring.document, nullptr);
    EXPECT_FALSE(referring.message().empty());
    omLoadOutcome parameter = load_text("<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r>&x;</r>");
    EXPECT_EQ(parameter.document, nullptr);
    EXPECT_TRUE(mentions(parameter.message(), "entit")) << parameter.message();
    EXPECT_FALSE(watch.touched());
}

TEST(HostileEntities, LocalExternalEntityIsReadWhenResolutionIsEnabled) {
    omTempDir dir;
    std::string secret = dir.write("secret.txt", "SECRET-TEXT");
    omAccessWatch watch(secret);
    ASSERT_TRUE(watch.ready());
    omLoadOutcome outcome = load_text("<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secret + "\">]><r>&x;</r>", resolving());
    ASSERT_NE(outcome.document, nullptr) << outcome.message();
    EXPECT_TRUE(outcome.error.invalid());
    EXPECT_EQ(root_text(outcome), "SECRET-TEXT");
    EXPECT_TRUE(watch.touched());
}

TEST(HostileEntities, LocalExternalDtdIsReadWhenResolutionIsEnabled) {
    omTempDir dir;
    std::string dtd = dir.write("r.dtd", "<!ENTITY x \"from the DTD\">");
    omLoadOutcome outcome = load_text("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&x;</r>", resolving());
    ASSERT_NE(outcome.document, nullptr) << outcome.message();
    EXPECT_EQ(root_text(outcome), "from the DTD");
}

// A missing file is a failure, not an empty text.
TEST(HostileEntities, MissingLocalEntityFailsWhenResolutionIsEnabled) {
    omTempDir dir;
    omLoadOutcome outcome =
        load_text("<!DOCTYPE r [<!ENTITY x SYSTEM \"" + dir.path() + "/absent.txt\">]><r>&x;</r>", resolving());
    EXPECT_EQ(outcome.document, nullptr);
    EXPECT_FALSE(outcome.message().empty());
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
                omLoadOutcome outcome =
                    load_text("<!DOCTYPE r [<!ENTITY x SYSTEM \"" + system + "\">]><r>&x;</r>", resolving());
                if (outcome.document)
                    return 1;
                return outcome.message().empty() ? 2 : 0;
            },
            static_cast<int>(5 * time_scale()));
        EXPECT_EQ(status, 0) << "-1: the load hung";
    }
}

// ---- the network ------------------------------------------------------------

TEST(HostileEntities, NetworkEntitiesAreNeverFetchedByDefault) {
    omLoopbackListener listener;
    ASSERT_NE(listener.port(), 0);
    omLoadOutcome entity = load_text("<!DOCTYPE r [<!ENTITY x SYSTEM \"" + listener.url("/x") + "\">]><r>&x;</r>");
    EXPECT_EQ(entity.document, nullptr);
    EXPECT_TRUE(mentions(entity.message(), "entit")) << entity.message();
    omLoadOutcome parameter = load_text("<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + listener.url("/p") + "\"> %p;]><r/>");
    EXPECT_EQ(parameter.document, nullptr);
    EXPECT_TRUE(mentions(parameter.message(), "entit")) << parameter.message();
    // An external DTD is not read by default, so the document loads without it.
    omLoadOutcome dtd = load_text("<!DOCTYPE r SYSTEM \"" + listener.url("/r.dtd") + "\"><r>text</r>");
    ASSERT_NE(dtd.document, nullptr) << dtd.message();
    EXPECT_EQ(root_text(dtd), "text");
    EXPECT_FALSE(listener.connected());
}

TEST(HostileEntities, NetworkEntitiesAreNeverFetchedWhenResolutionIsEnabled) {
    omLoopbackListener listener;
    ASSERT_NE(listener.port(), 0);
    const std::string documents[] = {
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + listener.url("/x") + "\">]><r>&x;</r>",
        "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + listener.url("/p") + "\"> %p;]><r/>",
        "<!DOCTYPE r SYSTEM \"" + listener.url("/r.dtd") + "\"><r>text</r>",
        "<!DOCTYPE r PUBLIC \"-//omxml//test//EN\" \"" + listener.url("/public.dtd") + "\"><r>text</r>",
    };
    for (const std::string& text : documents) {
        SCOPED_TRACE(text);
        omLoadOutcome outcome;
        omCost cost = measure([&] { outcome = load_text(text, resolving()); });
        EXPECT_EQ(outcome.document, nullptr);
        EXPECT_TRUE(mentions(outcome.message(), "network")) << outcome.message();
        EXPECT_LT(cost.seconds, 1.0 * time_scale());
    }
    EXPECT_FALSE(listener.connected());
}

// A schema that imports another from the network: validation never fetches it.
TEST(HostileEntities, SchemaImportFromTheNetworkIsNeverFetched) {
    omLoopbackListener listener;
    ASSERT_NE(listener.port(), 0);
    omTempDir dir;
    std::string schema = dir.write("s.xsd", "<?xml version=\"1.0\"?>\n"
                                            "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n"
                                            "  <xs:import namespace=\"urn:remote\" schemaLocation=\"" +
                                                listener.url("/remote.xsd") +
                                                "\"/>\n"
                                                "  <xs:element name=\"r\" type=\"xs:string\"/>\n"
                                                "</xs:schema>\n");
    omLoadOptions options(omValidateOn);
    options.set_no_namespace_schema(syPath(wide(schema)));
    omLoadOutcome outcome = load_text("<r>text</r>", options);
    EXPECT_EQ(outcome.document, nullptr);
    EXPECT_FALSE(outcome.message().empty());
    EXPECT_FALSE(listener.connected());
}
