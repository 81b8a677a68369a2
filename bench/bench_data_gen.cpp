// Writes the benchmark data into one directory:
//   config.xml       ~16 KB configuration: declaration, a root with a few hundred
//                    <entry key=".." value=".."/> and nested sections with text, the
//                    last one ("services") ending with <service name=".." port=".."/>s
//   catalog.xml      the large catalog (64 MiB unless told otherwise)
//   catalog-5mb.xml  the same shape at 5 MiB, for the validated load
//   catalog.xsd      the schema both catalogs satisfy
//   deep.xml         a root holding 100 000 nested elements
// The output is deterministic: the same arguments give the same bytes.
//
// Usage: omxml_bench_gen <directory> [catalog-MiB]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A small deterministic generator, so runs on different machines read the same bytes.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t m_state;
};

const char* const k_words[] = {"amber",  "basalt", "cedar",  "delta",  "ember",  "fjord",   "garnet", "harbor",
                               "iris",   "jasper", "kelp",   "lumen",  "marble", "nectar",  "onyx",   "pebble",
                               "quartz", "raven",  "sable",  "tundra", "umber",  "velvet",  "willow", "xenon",
                               "yarrow", "zephyr", "copper", "meadow", "silver", "thistle", "orchid", "granite"};
constexpr std::size_t k_word_count = sizeof(k_words) / sizeof(k_words[0]);

void append_words(std::string& out, Random& random, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) {
            out += ' ';
        }
        out += k_words[random.below(k_word_count)];
    }
}

bool write_file(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

std::string make_config() {
    Random random(0x5eed0001u);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<configuration version=\"7\" product=\"bench\">\n";
    char line[160];
    for (int i = 0; i < 215; ++i) {
        std::snprintf(line, sizeof line, "  <entry key=\"%s.option.%04d\" value=\"%s-%llu\"/>\n",
                      k_words[random.below(k_word_count)], i, k_words[random.below(k_word_count)],
                      static_cast<unsigned long long>(random.below(100000)));
        out += line;
    }
    const char* const sections[] = {"network", "storage", "display", "logging", "security", "services"};
    for (const char* name : sections) {
        out += "  <section name=\"";
        out += name;
        out += "\">\n";
        out += "    <host>";
        append_words(out, random, 2);
        out += ".example</host>\n";
        out += "    <port>";
        out += std::to_string(1024 + random.below(60000));
        out += "</port>\n";
        out += "    <section name=\"limits\">\n";
        for (int i = 0; i < 6; ++i) {
            out += "      <limit kind=\"";
            out += k_words[random.below(k_word_count)];
            out += "\">";
            append_words(out, random, 3);
            out += "</limit>\n";
        }
        out += "    </section>\n";
        out += "    <description>";
        append_words(out, random, 24);
        out += "</description>\n";
        if (std::string(name) == "services") {
            for (int i = 0; i < 16; ++i) {
                std::snprintf(line, sizeof line, "    <service name=\"svc-%02d\" port=\"%llu\"/>\n", i,
                              static_cast<unsigned long long>(1024 + random.below(60000)));
                out += line;
            }
        }
        out += "  </section>\n";
    }
    out += "</configuration>\n";
    return out;
}

// Items <item id name price> with a <title> text and a <tags> list, until the
// document reaches target bytes.
std::string make_catalog(std::size_t target, std::uint64_t seed) {
    Random random(seed);
    std::string out;
    out.reserve(target + 1024);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalog>\n";
    const char* const tail = "</catalog>\n";
    char head[160];
    for (unsigned long id = 1;; ++id) {
        std::string item;
        std::snprintf(head, sizeof head, "  <item id=\"i%07lu\" name=\"%s %s\" price=\"%lu.%02lu\">\n", id,
                      k_words[random.below(k_word_count)], k_words[random.below(k_word_count)],
                      static_cast<unsigned long>(random.below(1000)), static_cast<unsigned long>(random.below(100)));
        item += head;
        item += "    <title>";
        append_words(item, random, 3 + random.below(6));
        if (random.below(16) == 0) {
            item += " &amp; more";
        }
        item += "</title>\n    <tags>";
        const std::size_t tags = 1 + random.below(4);
        for (std::size_t t = 0; t < tags; ++t) {
            item += "<tag>";
            item += k_words[random.below(k_word_count)];
            item += "</tag>";
        }
        item += "</tags>\n  </item>\n";
        if (out.size() + item.size() + 11 > target) {
            break;
        }
        out += item;
    }
    out += tail;
    return out;
}

std::string make_schema() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n"
           "  <xs:element name=\"catalog\">\n"
           "    <xs:complexType>\n"
           "      <xs:sequence>\n"
           "        <xs:element name=\"item\" minOccurs=\"0\" maxOccurs=\"unbounded\">\n"
           "          <xs:complexType>\n"
           "            <xs:sequence>\n"
           "              <xs:element name=\"title\" type=\"xs:string\"/>\n"
           "              <xs:element name=\"tags\">\n"
           "                <xs:complexType>\n"
           "                  <xs:sequence>\n"
           "                    <xs:element name=\"tag\" type=\"xs:string\" minOccurs=\"0\" "
           "maxOccurs=\"unbounded\"/>\n"
           "                  </xs:sequence>\n"
           "                </xs:complexType>\n"
           "              </xs:element>\n"
           "            </xs:sequence>\n"
           "            <xs:attribute name=\"id\" type=\"xs:string\" use=\"required\"/>\n"
           "            <xs:attribute name=\"name\" type=\"xs:string\"/>\n"
           "            <xs:attribute name=\"price\" type=\"xs:decimal\"/>\n"
           "          </xs:complexType>\n"
           "        </xs:element>\n"
           "      </xs:sequence>\n"
           "    </xs:complexType>\n"
           "  </xs:element>\n"
           "</xs:schema>\n";
}

std::string make_deep(int depth) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<deep>";
    out.reserve(static_cast<std::size_t>(depth) * 7 + 64);
    for (int i = 0; i < depth; ++i) {
        out += "<d>";
    }
    out += "x";
    for (int i = 0; i < depth; ++i) {
        out += "</d>";
    }
    out += "</deep>\n";
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <directory> [catalog-MiB]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const long mib = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 64;
    if (mib <= 0) {
        std::fprintf(stderr, "catalog size must be a positive number of MiB\n");
        return 2;
    }
    const bool ok = write_file(dir + "/config.xml", make_config()) &&
                    write_file(dir + "/catalog.xml", make_catalog(static_cast<std::size_t>(mib) << 20, 0xca7a1001u)) &&
                    write_file(dir + "/catalog-5mb.xml", make_catalog(std::size_t{5} << 20, 0xca7a1005u)) &&
                    write_file(dir + "/catalog.xsd", make_schema()) && write_file(dir + "/deep.xml", make_deep(100000));
    return ok ? 0 : 1;
}
