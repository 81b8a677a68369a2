// Entity expansion, external resources and other hostile input.

#include <chrono>
#include <string>

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/backend/backend_test_support.h"

namespace {

omLoadOptions resolving() {
    omLoadOptions options;
    options.set_disable_entity_resolution(false);
    return options;
}

// Watches one file for being opened or read.
class OpenWatch {
public:
    explicit OpenWatch(const std::string& path) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (m_fd >= 0)
            ::inotify_add_watch(m_fd, path.c_str(), IN_OPEN | IN_ACCESS);
    }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;
    ~OpenWatch() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool usable() const { return m_fd >= 0; }
    bool touched() const {
        char buffer[4096];
        return ::read(m_fd, buffer, sizeof buffer) > 0;
    }

private:
    int m_fd;
};

// A TCP port on the loopback interface that records whether anyone connected.
class Listener {
public:
    Listener() : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(m_fd, 4) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    ~Listener() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int port() const { return m_port; }
    bool contacted() const {
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

private:
    int m_fd;
    int m_port = 0;
};

std::string billion_laughs(const std::string& use) {
    std::string xml = "<!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int i = 1; i <= 9; ++i) {
        xml += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            xml += "&lol" + (i > 1 ? std::to_string(i - 1) : std::string()) + ";";
        xml += "\">";
    }
    return xml + "]>" + use;
}

std::string repeated_references(int n) {
    std::string xml = "<!DOCTYPE r [<!ENTITY e \"x\">]><r>";
    for (int i = 0; i < n; ++i)
        xml += "&e;";
    return xml + "</r>";
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(EntityExpansion, BillionLaughsFailsFast) {
    for (const std::string use : {"<lolz>&lol9;</lolz>", "<lolz a=\"&lol9;\"/>"}) {
        auto start = std::chrono::steady_clock::now();
        omParseError error;
        EXPECT_FALSE(load_xml(billion_laughs(use), error));
        EXPECT_FALSE(error.invalid());
        EXPECT_LT(seconds_since(start), 2.0);
    }
}

TEST(EntityExpansion, QuadraticBlowUpFailsFast) {
    // Unchecked, this would expand to 200 MB.
    std::string big(10000, 'x');
    for (bool in_attribute : {false, true}) {
        std::string xml = "<!DOCTYPE r [<!ENTITY a \"" + big + "\">]>" + (in_attribute ? "<r v=\"" : "<r>");
        for (int i = 0; i < 20000; ++i)
            xml += "&a;";
        xml += in_attribute ? "\"/>" : "</r>";
        auto start = std::chrono::steady_clock::now();
        omParseError error;
        EXPECT_FALSE(load_xml(xml, error));
        EXPECT_FALSE(error.invalid());
        EXPECT_LT(seconds_since(start), 2.0);
    }
}

TEST(EntityExpansion, ProportionateExpansionLoads) {
    // 1.5 MB of replacement text from a document that declares 300 KB of it.
    std::string xml = "<!DOCTYPE r [<!ENTITY a \"" + std::string(300000, 'y') + "\">]><r>&a;&a;&a;&a;&a;</r>";
    omParseError error;
    std::shared_ptr<omDocument> doc = load_xml(xml, error);
    ASSERT_TRUE(doc) << utf8(error.message());
    EXPECT_EQ(doc->getDocumentElement()->get_text().length(), 1500000u);
}

TEST(EntityExpansion, LimitOfTheOptionsIsEnforced) {
    omLoadOptions options;
    options.set_entity_expansion_limit(10);
    omParseError error;
    std::shared_ptr<omDocument> doc = load_xml(repeated_references(10), error, options);
    ASSERT_TRUE(doc) << utf8(error.message());
    EXPECT_EQ(utf8(doc->getDocumentElement()->get_text()), "xxxxxxxxxx");
    EXPECT_FALSE(load_xml(repeated_references(11), error, options));
    EXPECT_NE(utf8(error.message()).find("limit of 10"), std::string::npos) << utf8(error.message());
    EXPECT_TRUE(load_xml(repeated_references(11)));
    options.set_entity_expansion_limit(0);
    EXPECT_FALSE(load_xml(repeated_references(1), error, options));
    EXPECT_TRUE(load_xml("<r>&amp;&lt;&#65;</r>", error, options)) << utf8(error.message());
}

TEST(EntityExpansion, PredefinedReferencesInAttributesAreNoExpansions) {
    std::string many = "<r a=\"";
    for (int i = 0; i < 120000; ++i)
        many += "a&amp;b ";
    omParseError error;
    EXPECT_TRUE(load_xml(many + "\"/>", error)) << utf8(error.message());

    omLoadOptions none;
    none.set_entity_expansion_limit(0);
    EXPECT_TRUE(load_xml("<r a=\"&gt;&lt;&quot;&apos;\"/>", error, none)) << utf8(error.message());
    // What the serializer escapes must load again under the same options.
    std::shared_ptr<omDocument> doc = load_xml("<r a=\"123-->\" b='\"'/>", error, none);
    ASSERT_TRUE(doc) << utf8(error.message());
    EXPECT_TRUE(load_xml(utf8(doc->getDocumentElement()->get_xml()), error, none)) << utf8(error.message());

    // Declared entities still count, wherever predefined ones stand beside them.
    omLoadOptions one;
    one.set_entity_expansion_limit(1);
    const std::string dtd = "<!DOCTYPE r [<!ENTITY e 'x'><!ATTLIST r d CDATA '&amp;'>]>";
    EXPECT_TRUE(load_xml(dtd + "<r a='&amp;&e;'/>", error, one)) << utf8(error.message());
    EXPECT_FALSE(load_xml(dtd + "<r a='&amp;&e;&e;'/>", error, one));
    EXPECT_FALSE(load_xml(dtd + "<r><!-- a='&amp;' --><?p a='&amp;'?>&e;&e;</r>", error, one));
}

TEST(EntityExpansion, InternalEntitiesAreSubstitutedEverywhere) {
    omParseError error;
    std::shared_ptr<omDocument> doc =
        load_xml("<!DOCTYPE r [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;\">]><r v=\"&b;\">&b;</r>", error);
    ASSERT_TRUE(doc) << utf8(error.message());
    std::shared_ptr<omElement> root = doc->getDocumentElement();
    EXPECT_EQ(utf8(root->get_text()), "aaaaaaaa");
    EXPECT_EQ(utf8(root->getAttribute(SYSTRING("v"))), "aaaaaaaa");
    std::string xml = utf8(root->get_xml());
    EXPECT_EQ(xml, "<r v=\"aaaaaaaa\">aaaaaaaa</r>");
    EXPECT_TRUE(load_xml(xml));
    syByteArray saved;
    ASSERT_TRUE(test_factory()->saveDocument(doc, saved));
    EXPECT_TRUE(test_factory()->loadDocument(saved, omLoadOptions(), error)) << utf8(error.message());
}

TEST(EntityExpansion, UndeclaredEntityFailsEvenWithAnExternalSubset) {
    omParseError error;
    EXPECT_FALSE(load_xml("<!DOCTYPE r SYSTEM \"nothere.dtd\"><r>&nbsp;</r>", error));
    EXPECT_NE(utf8(error.message()).find("nbsp"), std::string::npos);
    EXPECT_FALSE(load_xml("<r>&nbsp;</r>", error));
}

class ExternalEntities : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.path().empty());
        secret = dir.file("secret.txt");
        dtd = dir.file("decl.dtd");
        ASSERT_TRUE(TempDir::write(secret, "SECRET"));
        ASSERT_TRUE(TempDir::write(dtd, "<!ENTITY fromdtd \"declared outside\">"));
    }
    TempDir dir;
    std::string secret;
    std::string dtd;
};

TEST_F(ExternalEntities, DefaultOptionsNeverReadLocalFiles) {
    OpenWatch secret_watch(secret);
    OpenWatch dtd_watch(dtd);
    ASSERT_TRUE(secret_watch.usable() && dtd_watch.usable());
    omParseError error;
    EXPECT_FALSE(load_xml("<!DOCTYPE r [<!ENTITY e SYSTEM \"" + secret + "\">]><r>&e;</r>", error));
    EXPECT_NE(utf8(error.message()).find("resolution is disabled"), std::string::npos) << utf8(error.message());
    EXPECT_FALSE(load_xml("<!DOCTYPE r [<!ENTITY e SYSTEM \"" + secret + "\">]><r a=\"&e;\"/>", error));
    EXPECT_FALSE(load_xml("<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r/>", error));
    // A document that names an external DTD loads without it.
    EXPECT_TRUE(load_xml("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r/>", error)) << utf8(error.message());
    EXPECT_FALSE(load_xml("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&fromdtd;</r>", error));
    EXPECT_FALSE(secret_watch.touched());
    EXPECT_FALSE(dtd_watch.touched());
}

TEST_F(ExternalEntities, EnabledResolutionReadsLocalFiles) {
    omParseError error;
    std::shared_ptr<omDocument> doc =
        load_xml("<!DOCTYPE r [<!ENTITY e SYSTEM \"" + secret + "\">]><r>&e;</r>", error, resolving());
    ASSERT_TRUE(doc) << utf8(error.message());
    EXPECT_EQ(utf8(doc->getDocumentElement()->get_text()), "SECRET");
    doc = load_xml("<!DOCTYPE r SYSTEM \"" + dtd + "\"><r>&fromdtd;</r>", error, resolving());
    ASSERT_TRUE(doc) << utf8(error.message());
    EXPECT_EQ(utf8(doc->getDocumentElement()->get_text()), "declared outside");
    // A file that is not there is an error, not an empty replacement.
    EXPECT_FALSE(
        load_xml("<!DOCTYPE r [<!ENTITY e SYSTEM \"" + dir.file("none.txt") + "\">]><r>&e;</r>", error, resolving()));
}

TEST_F(ExternalEntities, OnlyRegularFilesAreRead) {
    std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {std::string("/dev/zero"), fifo, dir.path()}) {
        omParseError error;
        EXPECT_FALSE(load_xml("<!DOCTYPE r [<!ENTITY e SYSTEM \"" + name + "\">]><r>&e;</r>", error, resolving()))
            << name;
        EXPECT_NE(utf8(error.message()).find(name), std::string::npos) << utf8(error.message());
    }
}

TEST_F(ExternalEntities, RelativeNamesResolveAgainstTheDocument) {
    std::string path = dir.file("doc.xml");
    ASSERT_TRUE(TempDir::write(path, "<!DOCTYPE r [<!ENTITY e SYSTEM \"secret.txt\">]><r>&e;</r>"));
    omParseError error;
    std::shared_ptr<omDocument> doc = test_factory()->loadDocument(syPath(wide(path)), resolving(), error);
    ASSERT_TRUE(doc) << utf8(error.message());
    EXPECT_EQ(utf8(doc->getDocumentElement()->get_text()), "SECRET");
}

TEST(NetworkEntities, TheNetworkIsNeverUsed) {
    Listener listener;
    ASSERT_NE(listener.port(), 0);
    std::string url = "http://127.0.0.1:" + std::to_string(listener.port()) + "/x";
    for (const omLoadOptions& options : {omLoadOptions(), resolving()}) {
        omParseError error;
        EXPECT_FALSE(load_xml("<!DOCTYPE r [<!ENTITY e SYSTEM \"" + url + "\">]><r>&e;</r>", error, options));
        EXPECT_FALSE(error.invalid());
        EXPECT_FALSE(load_xml("<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + url + "\"> %p;]><r/>", error, options));
        load_xml("<!DOCTYPE r SYSTEM \"" + url + "\"><r/>", error, options);
    }
    EXPECT_FALSE(listener.contacted());
}

TEST(Nesting, DeepDocumentsFailFast) {
    std::string xml;
    for (int i = 0; i < 100000; ++i)
        xml += "<a>";
    for (int i = 0; i < 100000; ++i)
        xml += "</a>";
    auto start = std::chrono::steady_clock::now();
    omParseError error;
    EXPECT_FALSE(load_xml(xml, error));
    EXPECT_FALSE(error.invalid());
    EXPECT_LT(seconds_since(start), 2.0);
    std::string fine;
    for (int i = 0; i < 200; ++i)
        fine += "<a>";
    for (int i = 0; i < 200; ++i)
        fine += "</a>";
    EXPECT_TRUE(load_xml(fine));
}

} // namespace
