#pragma once

/// @file
/// The conformance suites and their harness: what a program that checks a
/// document back-end uses, besides omxml.h.

#include "omxml.h"

#include "platform/kuUnitTest.h"

#include "suites/omCommentNodeUtest.h"
#include "suites/omDocumentFactoryUtest.h"
#include "suites/omDocumentUtest.h"
#include "suites/omElementUtest.h"
#include "suites/omNamedNodeMapUtest.h"
#include "suites/omNodeListUtest.h"
#include "suites/omNodeUtest.h"
#include "suites/omTextNodeUtest.h"
#include "suites/omUtestUtils.h"
#include "suites/omValidationUtest.h"
