# The public headers: the only ones installed, and the only ones a project
# using omxml through add_subdirectory reaches as <omxml/...>. Everything else
# under the source folders is internal. Paths are relative to the source root.
set(OMXML_PUBLIC_HEADERS
  omxml.h
  omxmlExport.h
  omxmlSuites.h
  platform/kuMarkers.h
  platform/kuService.h
  platform/kuString.h
  platform/kuUnitTest.h
  platform/qcDynArr.h
  platform/qcPageArr.h
  platform/qcPrf.h
  platform/syAssert.h
  platform/syByteArray.h
  platform/syPath.h
  platform/syQfsFile.h
  platform/syString.h
  reader/omAbstractXmlReader.h
  reader/omException.h
  reader/omInitialPositionX.h
  reader/omPositionX.h
  reader/omPositionXqcPageArr.h
  reader/omSimpleXmlReader.h
  reader/omXmlFactory.h
  reader/omXmlOwners.h
  dom/omCharacterData.h
  dom/omDocument.h
  dom/omElement.h
  dom/omNamedNodeMap.h
  dom/omNode.h
  dom/omNodeList.h
  dom/omProcessingInstruction.h
  factory/omDocumentFactory.h
  factory/omLoadOptions.h
  factory/omParseError.h
  factory/omVersion.h
  suites/omCommentNodeUtest.h
  suites/omDocumentFactoryUtest.h
  suites/omDocumentUtest.h
  suites/omElementUtest.h
  suites/omNamedNodeMapUtest.h
  suites/omNodeListUtest.h
  suites/omNodeUtest.h
  suites/omTextNodeUtest.h
  suites/omUtestUtils.h
  suites/omValidationUtest.h)

# The back-end's public headers: its factory and its public options.
set(OMXML_BACKEND_PUBLIC_HEADERS
  backend/lxDocumentFactory.h
  backend/lxStreamValidator.h
  backend/lxTextEncoding.h
  backend/lxXPathQuery.h)

# The build tree's include folder: <build>/include/omxml/<path> for every
# public header, each a one-line forward to the source file, so a project
# using omxml through add_subdirectory writes the same #include <omxml/...>
# lines as against an installed package, and reaches only public headers.
set(OMXML_BUILD_INCLUDE_DIR ${PROJECT_BINARY_DIR}/include)
function(omxml_forward_headers)
  foreach(header IN LISTS ARGN)
    file(CONFIGURE OUTPUT ${OMXML_BUILD_INCLUDE_DIR}/omxml/${header}
         CONTENT "#include \"${PROJECT_SOURCE_DIR}/${header}\"\n" @ONLY)
  endforeach()
endfunction()

# The include folders of a library's users: the build tree's include folder,
# or the installed one.
function(omxml_public_includes target)
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${OMXML_BUILD_INCLUDE_DIR}/omxml> $<BUILD_INTERFACE:${OMXML_BUILD_INCLUDE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/omxml> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
endfunction()
