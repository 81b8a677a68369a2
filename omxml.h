#pragma once

/// @file
/// The umbrella header: what a program that reads XML files or works with
/// documents uses. The conformance suites have their own umbrella,
/// omxmlSuites.h; the document back-end's factory is
/// backend/lxDocumentFactory.h. The reader's cursors, owners and paged array
/// (reader/omPositionX.h and the others) are installed for reader
/// implementations, not included here.

#include "omxmlExport.h"

#include "platform/kuMarkers.h"
#include "platform/kuService.h"
#include "platform/kuString.h"
#include "platform/syAssert.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"
#include "platform/syQfsFile.h"
#include "platform/syString.h"

#include "reader/omAbstractXmlReader.h"
#include "reader/omXmlFactory.h"

#include "dom/omCharacterData.h"
#include "dom/omDocument.h"
#include "dom/omElement.h"
#include "dom/omNamedNodeMap.h"
#include "dom/omNode.h"
#include "dom/omNodeList.h"
#include "dom/omProcessingInstruction.h"

#include "factory/omDocumentFactory.h"
#include "factory/omLoadOptions.h"
#include "factory/omParseError.h"
#include "factory/omVersion.h"
