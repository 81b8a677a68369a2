#include "backend/lxTextEncoding.h"

#include <libxml/encoding.h>
#include <libxml/tree.h>

namespace {

bool convert(xmlCharEncodingHandlerPtr handler, const std::string& text, std::string& utf8) {
    xmlBufferPtr in = xmlBufferCreateSize(text.size() + 1);
    xmlBufferPtr out = xmlBufferCreateSize(2 * text.size() + 16);
    bool ok = in && out &&
              xmlBufferAdd(in, reinterpret_cast<const xmlChar*>(text.data()), static_cast<int>(text.size())) == 0;
    // The converter takes what it can each time; text that is not valid in
    // the encoding stops it with bytes left over.
    while (ok && xmlBufferLength(in) > 0) {
        const int before = xmlBufferLength(in);
        ok = xmlCharEncInFunc(handler, out, in) >= 0 && xmlBufferLength(in) < before;
    }
    if (ok)
        utf8.assign(reinterpret_cast<const char*>(xmlBufferContent(out)),
                    static_cast<std::size_t>(xmlBufferLength(out)));
    if (in)
        xmlBufferFree(in);
    if (out)
        xmlBufferFree(out);
    return ok;
}

} // namespace

bool lx_ascii_compatible_to_utf8(const std::string& encoding, const std::string& text, std::string& utf8) {
    const xmlCharEncoding known = xmlParseCharEncoding(encoding.c_str());
    if (known == XML_CHAR_ENCODING_UTF8) {
        if (xmlCheckUTF8(reinterpret_cast<const xmlChar*>(text.c_str())) == 0 || text.find('\0') != std::string::npos)
            return false;
        utf8 = text;
        return true;
    }
    xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(encoding.c_str());
    if (!handler)
        return false;
    const std::string ascii = "<?xml version=\"1.0\"?>";
    std::string probe;
    const bool ok = convert(handler, ascii, probe) && probe == ascii && convert(handler, text, utf8);
    xmlCharEncCloseFunc(handler);
    return ok;
}
