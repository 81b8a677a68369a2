#include <cstdio>
#include <cstring>
#include <string>

#include "tools/omxmlCommand.h"
#include "tools/omxmlDocumentTool.h"

namespace {

void help(std::FILE* out) {
    std::fputs("usage: omxml validate FILE [--schema NAMESPACE=PATH]... [--no-namespace-schema PATH]\n"
               "\n"
               "Loads FILE through the document factory with schema validation on. Each\n"
               "--schema applies the schema at PATH to the elements of NAMESPACE; the\n"
               "--no-namespace-schema applies to elements without a namespace. With no schema\n"
               "named, FILE is only checked to be well-formed.\n"
               "\n"
               "On success prints \"FILE: valid\" and exits 0. When the document is malformed or\n"
               "breaks a schema, prints FILE:LINE:COLUMN: message and exits 1. A file that cannot\n"
               "be read, or a usage error, exits 2.\n"
               "\n"
               "example:\n"
               "  omxml validate order.xml --schema urn:shop=schemas/order.xsd\n",
               out);
}

int run(int argc, char** argv) {
    const char* file = nullptr;
    omLoadOptions options(omValidateOn);
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--schema") == 0 || std::strcmp(arg, "--no-namespace-schema") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "omxml validate: %s needs a value\n", arg);
                return 2;
            }
            const char* value = argv[++i];
            if (arg[2] == 's') {
                const char* eq = std::strchr(value, '=');
                if (!eq || eq == value || !eq[1]) {
                    std::fprintf(stderr, "omxml validate: --schema takes NAMESPACE=PATH, not '%s'\n", value);
                    return 2;
                }
                if (!omxml_check_readable("validate", eq + 1))
                    return 2;
                std::string ns(value, static_cast<std::size_t>(eq - value));
                options.add_external_schema(syString::from_utf8(ns), omxml_path_arg(eq + 1));
            } else {
                if (!omxml_check_readable("validate", value))
                    return 2;
                options.set_no_namespace_schema(omxml_path_arg(value));
            }
        } else if (arg[0] == '-' && arg[1]) {
            std::fprintf(stderr, "omxml validate: unknown option '%s'\n", arg);
            return 2;
        } else if (!file) {
            file = arg;
        } else {
            std::fprintf(stderr, "omxml validate: one FILE only ('%s' is extra)\n", arg);
            return 2;
        }
    }
    if (!file) {
        help(stderr);
        return 2;
    }
    if (!omxml_check_readable("validate", file))
        return 2;
    std::shared_ptr<omDocumentFactory> factory = omxml_locate_factory();
    if (!factory) {
        std::fputs("omxml validate: no document factory registered as XMLService\n", stderr);
        return 2;
    }
    omParseError error;
    std::shared_ptr<omDocument> document = factory->loadDocument(omxml_path_arg(file), options, error);
    if (!document || !error.invalid()) {
        std::fprintf(stderr, "%s\n", omxml_describe_error(file, error).c_str());
        return 1;
    }
    std::fprintf(stdout, "%s: valid\n", file);
    return 0;
}

const omxmlCommand command("validate", "check that a document is well-formed and meets its schemas", &run, &help);

} // namespace
