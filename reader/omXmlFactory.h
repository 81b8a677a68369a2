#pragma once

/// @file
/// The reader factories: interfaces and omSimpleXmlFactory.

#include "omxmlExport.h"

#include <memory>

#include "platform/kuMarkers.h"
#include "platform/syPath.h"
#include "platform/syQfsFile.h"
#include "reader/omAbstractXmlReader.h"

/// Makes a reader on the file at a path. The release marker says the caller
/// owns the result; it selects nothing.
class OMXML_API omIXmlPathFactory {
public:
    /// A reader on the file at path, owned by the caller; never null. The file is opened here; one that cannot
    /// be opened makes read_file() return false.
    virtual std::unique_ptr<omAbstractXmlReader> create_xml_reader_path(kuPtrRelease release,
                                                                        const syPath& path) const = 0;
    /// Destroys the factory.
    virtual ~omIXmlPathFactory();
};

/// Makes a reader on a file object the caller already holds a handle on.
class OMXML_API omIXmlFileFactory {
public:
    /// A reader on file, owned by the caller; never null. A handle on a file that is not open makes read_file()
    /// return false.
    virtual std::unique_ptr<omAbstractXmlReader> create_xml_reader_file(kuPtrRelease release,
                                                                        const syIQfsFileqcPrf& file) const = 0;
    /// Destroys the factory.
    virtual ~omIXmlFileFactory();
};

/// Makes omSimpleXmlReader objects. Neither operation reads: the caller calls
/// read_file. A reader made from a path owns its file object alone, so the file
/// is closed when the reader is destroyed; a reader made from a handle shares
/// the file object with the caller.
class OMXML_API omSimpleXmlFactory : public omIXmlPathFactory, public omIXmlFileFactory {
public:
    /// A factory; it holds nothing and may be used from any thread.
    omSimpleXmlFactory() = default;
    /// An omSimpleXmlReader on the file at path, which it owns alone; never null.
    std::unique_ptr<omAbstractXmlReader> create_xml_reader_path(kuPtrRelease release,
                                                                const syPath& path) const override;
    /// An omSimpleXmlReader sharing file with the caller; never null.
    std::unique_ptr<omAbstractXmlReader> create_xml_reader_file(kuPtrRelease release,
                                                                const syIQfsFileqcPrf& file) const override;
};
