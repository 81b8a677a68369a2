#include <cstdio>
#include <cstring>
#include <string>

#include "dom/omElement.h"
#include "dom/omNodeList.h"
#include "tools/omxmlCommand.h"
#include "tools/omxmlDocumentTool.h"

namespace {

void help(std::FILE* out) {
    std::fputs("usage: omxml select FILE XPATH\n"
               "\n"
               "Loads FILE through the document factory and prints the XML of every node that\n"
               "XPATH selects, one per line, in document order. XPATH is evaluated from the root\n"
               "element; a path starting with // searches the whole document.\n"
               "\n"
               "Exits 0 when something matched, 1 when nothing matched or the document is\n"
               "malformed (FILE:LINE:COLUMN: message on stderr), 2 for a usage error or a file\n"
               "that cannot be read.\n"
               "\n"
               "examples:\n"
               "  omxml select catalog.xml '//item[@id=\"42\"]/title'\n"
               "  omxml select app.xml 'database/@host'\n",
               out);
}

int run(int argc, char** argv) {
    if (argc != 3) {
        help(stderr);
        return 2;
    }
    const char* file = argv[1];
    const char* xpath = argv[2];
    if (!omxml_check_readable("select", file))
        return 2;
    std::shared_ptr<omDocumentFactory> factory = omxml_locate_factory();
    if (!factory) {
        std::fputs("omxml select: no document factory registered as XMLService\n", stderr);
        return 2;
    }
    omParseError error;
    std::shared_ptr<omDocument> document = factory->loadDocument(omxml_path_arg(file), omLoadOptions(), error);
    if (!document || !error.invalid()) {
        std::fprintf(stderr, "%s\n", omxml_describe_error(file, error).c_str());
        return 1;
    }
    std::shared_ptr<omElement> root = document->getDocumentElement();
    if (!root)
        return 1;
    std::shared_ptr<omNodeList> matches = root->selectNodes(syString::from_utf8(xpath, std::strlen(xpath)));
    int count = matches ? matches->length() : 0;
    for (int i = 0; i < count; ++i) {
        std::shared_ptr<omElement> node = matches->at(i);
        if (node)
            std::fprintf(stdout, "%s\n", node->get_xml().convert(syStringUTF8));
    }
    return count > 0 ? 0 : 1;
}

const omxmlCommand command("select", "print the nodes that an XPath expression selects", &run, &help);

} // namespace
