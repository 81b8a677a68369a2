// Hostile documents: entity expansion bombs, external entities and DTDs that
// point at local files, devices, FIFOs and the network, nesting a million
// deep, invalid UTF-8, schemas that import themselves, and a save into a
// read-only directory. Each ends in a clean failure or a clean load, reads no
// file it was not allowed to and never opens a connection.
#include "support.h"

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#endif

namespace {

bool mentions(const Loaded& outcome, const std::string& part) {
    return outcome.message().find(part) != std::string::npos;
}

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

#ifndef _WIN32
std::string entity_doc(const std::string& system) {
    return "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + system + "\">]><r>&x;</r>";
}
std::string parameter_doc(const std::string& system) {
    return "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + system + "\"> %p;]><r>&x;</r>";
}
std::string dtd_doc(const std::string& system) { return "<!DOCTYPE r SYSTEM \"" + system + "\"><r>text</r>"; }

omLoadOptions resolving() {
    omLoadOptions options;
    options.set_disable_entity_resolution(false);
    return options;
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
class LoopbackListener {
public:
    LoopbackListener() : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(m_fd, 16) == 0 && ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~LoopbackListener() { ::close(m_fd); }
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
#endif

// A caller that raises the expansion limit does not lift the bound on the
// size of the result.
TEST(Hostile, BillionLaughsAndQuadraticBlowUpFail) {
    omLoadOptions raised;
    raised.set_entity_expansion_limit(2000000000);
    const std::pair<std::string, omLoadOptions> cases[] = {{laughs("<lolz>&lol9;</lolz>"), omLoadOptions()},
                                                           {laughs("<lolz a=\"&lol9;\"/>"), omLoadOptions()},
                                                           {laughs("<lolz>&lol9;</lolz>"), raised},
                                                           {quadratic("&a;"), omLoadOptions()},
                                                           {quadratic("<e a=\"&a;\"/>"), omLoadOptions()}};
    for (const auto& [text, options] : cases) {
        Loaded outcome = load(text, options);
        EXPECT_FALSE(outcome.document);
        EXPECT_TRUE(mentions(outcome, "entit")) << outcome.message();
    }
    // Escapes of the five predefined entities expand nothing.
    std::string escapes;
    for (int i = 0; i < 60000; ++i)
        escapes += "&amp;&lt;";
    Loaded content = load("<r a=\"" + escapes + "\">" + escapes + "</r>");
    ASSERT_TRUE(content.document) << content.message();
    EXPECT_EQ(content.root()->get_text().length(), 120000u);
}

// By default no external entity or DTD is read: references to them fail, and
// a document that only names an external DTD loads without it. With
// resolution enabled, local ones are read and a missing one is a failure.
TEST(Hostile, LocalExternalEntitiesAreReadOnlyWhenResolutionIsEnabled) {
    SKIP_ON_WINDOWS("no inotify to see which files are opened");
#ifndef _WIN32
    TempDir dir;
    std::string secret = dir.write("secret.txt", "SECRET-TEXT");
    std::string dtd = dir.write("r.dtd", "<!ENTITY x \"from the DTD\">");
    EXPECT_FALSE(touches(secret, [&] {
        for (const std::string& text : {entity_doc(secret), entity_doc("file://" + secret), parameter_doc(secret)}) {
            Loaded outcome = load(text);
            EXPECT_FALSE(outcome.document);
            EXPECT_TRUE(mentions(outcome, "entit")) << outcome.message();
        }
    }));
    EXPECT_FALSE(touches(dtd, [&] {
        Loaded plain = load(dtd_doc(dtd));
        ASSERT_TRUE(plain.document) << plain.message();
        EXPECT_EQ(narrow(plain.root()->get_text()), "text");
        EXPECT_FALSE(load("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&x;</r>").document);
    }));
    EXPECT_TRUE(touches(secret, [&] {
        Loaded outcome = load(entity_doc(secret), resolving());
        ASSERT_TRUE(outcome.document) << outcome.message();
        EXPECT_EQ(narrow(outcome.root()->get_text()), "SECRET-TEXT");
    }));
    Loaded from_dtd = load("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&x;</r>", resolving());
    ASSERT_TRUE(from_dtd.document) << from_dtd.message();
    EXPECT_EQ(narrow(from_dtd.root()->get_text()), "from the DTD");
    Loaded missing = load(entity_doc(dir.file("absent.txt")), resolving());
    EXPECT_FALSE(missing.document);
    EXPECT_FALSE(missing.message().empty());
#endif
}

// Devices and FIFOs never end: the loads run in a child so that a hang fails
// the test instead of stopping it.
TEST(Hostile, ExternalEntityOnADeviceOrFifoFailsCleanly) {
    SKIP_ON_WINDOWS("no FIFOs and no fork; FileNames.DeviceNamesAreRefused stands in");
#ifndef _WIN32
    TempDir dir;
    std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& system : {std::string("/dev/zero"), fifo}) {
        int status = run_in_child([&] {
            Loaded outcome = load(entity_doc(system), resolving());
            return outcome.document ? 1 : outcome.message().empty() ? 2 : 0;
        });
        EXPECT_EQ(status, 0) << system << " (-1: the load hung)";
    }
#endif
}

// Nothing on the network is fetched, with or without resolution.
TEST(Hostile, NetworkEntitiesAreNeverFetched) {
    SKIP_ON_WINDOWS("the loopback listener is written for POSIX sockets");
#ifndef _WIN32
    LoopbackListener listener;
    ASSERT_NE(listener.port(), 0);
    for (const std::string& text : {entity_doc(listener.url("/x")), parameter_doc(listener.url("/p"))})
        EXPECT_FALSE(load(text).document);
    Loaded dtd = load(dtd_doc(listener.url("/r.dtd")));
    ASSERT_TRUE(dtd.document) << dtd.message();
    EXPECT_EQ(narrow(dtd.root()->get_text()), "text");
    for (const std::string& text :
         {entity_doc(listener.url("/x")), parameter_doc(listener.url("/p")), dtd_doc(listener.url("/r.dtd")),
          "<!DOCTYPE r PUBLIC \"-//omxml//test//EN\" \"" + listener.url("/public.dtd") + "\"><r>text</r>"}) {
        Loaded outcome = load(text, resolving());
        EXPECT_FALSE(outcome.document) << text;
        EXPECT_TRUE(mentions(outcome, "the network is never used")) << outcome.message();
    }
    EXPECT_FALSE(listener.connected());
#endif
}

TEST(Hostile, MillionDeepNestingFailsOnLineOne) {
    std::string opened(3000000, ' ');
    for (std::size_t i = 0; i < opened.size(); i += 3)
        opened.replace(i, 3, "<a>");
    TempDir dir;
    for (const Loaded& outcome : {load(opened + "x"), load_file(dir.write("deep.xml", opened + "x"))}) {
        EXPECT_FALSE(outcome.document);
        EXPECT_TRUE(mentions(outcome, "depth")) << outcome.message();
        EXPECT_EQ(outcome.error.line_number(), 1);
    }
}

// libxml2's wording differs between releases: what a caller gets is a failure
// at the bad byte with libxml2's own reason, not the back-end's generic text.
bool names_a_cause(const Loaded& outcome) {
    return !outcome.message().empty() && !mentions(outcome, "the document is not well-formed");
}

TEST(Hostile, InvalidUtf8FailsWithAMessage) {
    const std::pair<std::string, int> cases[] = {
        {"<r>\xff\xfe</r>", 4},      {"<r a=\"\xc3\"/>", 7},          {"<r>\xc0\xaf</r>", 4},
        {"<r><!-- \xff --></r>", 9}, {"<r><![CDATA[\xff]]></r>", 13}, {"<r>\xe0\x9f\xbf</r>", 4},
        {"<r>\xed\xa0\x80</r>", 4},  {"<r>\xf4\x90\x80\x80</r>", 4},
    };
    for (const auto& [text, column] : cases) {
        Loaded outcome = load(text);
        EXPECT_FALSE(outcome.document) << text;
        EXPECT_TRUE(names_a_cause(outcome)) << outcome.message();
        EXPECT_EQ(outcome.error.line_number(), 1) << text;
        EXPECT_EQ(outcome.error.column_number(), column) << text;
    }
    TempDir dir;
    Loaded outcome =
        load_file(dir.write("bad.xml", "<?xml version=\"1.0\"?>\n<r>\n  <a>ok</a>\n  <b>\xff</b>\n</r>\n"));
    EXPECT_TRUE(names_a_cause(outcome)) << outcome.message();
    EXPECT_EQ(outcome.error.line_number(), 4);
}

TEST(Hostile, SchemaThatImportsOrIncludesItselfIsRefused) {
    const std::string head = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"";
    const std::string element = "<xs:element name=\"r\" type=\"xs:string\"/></xs:schema>";
    const std::string target = " targetNamespace=\"urn:s\" elementFormDefault=\"qualified\">";
    const std::string cases[][3] = {
        {head + target + "<xs:import namespace=\"urn:s\" schemaLocation=\"self.xsd\"/>" + element, "urn:s", "import"},
        {head + "><xs:import schemaLocation=\"self.xsd\"/>" + element, "", "import"},
        {head + target + "<xs:include schemaLocation=\"self.xsd\"/>" + element, "urn:s", "include"},
    };
    TempDir dir;
    for (const auto& [schema, ns, word] : cases) {
        omLoadOptions options(omValidateOn);
        syPath path(wide(dir.write("self.xsd", schema)));
        if (ns.empty())
            options.set_no_namespace_schema(path);
        else
            options.add_external_schema(wide(ns), path);
        Loaded outcome = load(ns.empty() ? "<r>v</r>" : "<r xmlns=\"urn:s\">v</r>", options);
        EXPECT_FALSE(outcome.document);
        EXPECT_TRUE(mentions(outcome, word)) << outcome.message();
    }
}

// Permission bits do not stop root, so the save runs in a child that gives up
// root's privileges first. The old file is writable by everyone, so only a
// save that wrote it in place could succeed.
TEST(Hostile, ReadOnlyDirectoryRefusesTheSave) {
    SKIP_ON_WINDOWS("no permission bits on folders; FileNames.ReadOnlyFileKeepsItsContent stands in");
#ifndef _WIN32
    std::shared_ptr<omDocument> document = backend().createDocument(SYSTRING("new"));
    TempDir dir;
    const std::string old = "<old/>";
    std::string target = dir.write("data.xml", old);
    ASSERT_EQ(::chmod(target.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    int status = run_in_child([&] {
        if (!drop_privileges())
            return kCannotDropPrivileges;
        return backend().saveDocument(document, syPath(wide(target))) ||
                       backend().saveDocument(document, syPath(wide(dir.file("new.xml"))))
                   ? 1
                   : 0;
    });
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    if (status == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot give up root's privileges here, and root writes into any directory";
    EXPECT_EQ(status, 0) << "1: a save into the read-only directory reported success";
    EXPECT_EQ(read_bytes(target), old);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"data.xml"});
#endif
}

} // namespace
