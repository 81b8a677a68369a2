#pragma once

// Umbrella header: every public header of omxml and of its platform stand-ins.

#include "platform/kuMarkers.h"
#include "platform/kuService.h"
#include "platform/kuString.h"
#include "platform/kuUnitTest.h"
#include "platform/qcDynArr.h"
#include "platform/qcPageArr.h"
#include "platform/qcPrf.h"
#include "platform/syAssert.h"
#include "platform/syByteArray.h"
#include "platform/syPath.h"
#include "platform/syProcessControl.h"
#include "platform/syQfsFile.h"
#include "platform/syString.h"
#include "platform/syStringFormatter.h"
#include "platform/syStringLocaleParser.h"

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
