#include "reader/omXmlFactory.h"

#include "reader/omSimpleXmlReader.h"

omIXmlPathFactory::~omIXmlPathFactory() = default;
omIXmlFileFactory::~omIXmlFileFactory() = default;

std::unique_ptr<omAbstractXmlReader> omSimpleXmlFactory::create_xml_reader_path(kuPtrRelease,
                                                                                const syPath& path) const {
    syIQfsFileqcPrf file(new syQfsFileStdio(path.path(), 0));
    const omIXmlFileFactory& files = *this;
    return files.create_xml_reader_file(3, file);
}

std::unique_ptr<omAbstractXmlReader> omSimpleXmlFactory::create_xml_reader_file(kuPtrRelease,
                                                                                const syIQfsFileqcPrf& file) const {
    return std::unique_ptr<omAbstractXmlReader>(new omSimpleXmlReader(file));
}
