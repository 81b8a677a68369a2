// Reads a configuration file with the pull reader:
//
//   <?xml version="1.0" encoding="utf-8"?>
//   <configuration>
//     <database host="db.example.org" port="5432"/>
//     <plugin name="spell"/><plugin name="diff"/>
//     <motd>Welcome!</motd>
//   </configuration>
#include <iostream>
#include <memory>

#include <omxml/omxml.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: read_config FILE\n";
        return 2;
    }
    omSimpleXmlFactory factory;
    std::unique_ptr<omAbstractXmlReader> reader = factory.create_xml_reader_path(
        3, syPath(syString::from_utf8(argv[1], std::char_traits<char>::length(argv[1]))));
    if (!reader->read_file() || !reader->down_to(ku_lit("configuration"))) {
        reader->dump_error(std::cerr);
        return 1;
    }
    if (reader->down_to(ku_lit("database"))) {
        std::cout << "database " << reader->attribute(ku_lit("host"), ku_lit("localhost")) << ':'
                  << reader->attribute(ku_lit("port"), ku_lit("5432")) << '\n';
        reader->up();
    }
    while (reader->down_to(ku_lit("plugin"))) { // like siblings: down_to/up until false
        std::cout << "plugin " << reader->attribute(ku_lit("name"), kuString("")) << '\n';
        reader->up();
    }
    if (reader->down_to(ku_lit("motd"))) {
        std::cout << "motd " << reader->text_node() << '\n';
        reader->up();
    }
    reader->up(); // leaves the root and checks its closing tag
    if (reader->has_error_occurred()) {
        reader->dump_error(std::cerr);
        return 1;
    }
    return 0;
}
