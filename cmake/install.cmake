# Installation: headers under include/omxml (keeping the folder layout, with
# omxml/omxml.h as the umbrella), the shared libraries, a CMake package
# (find_package(omxml CONFIG) -> omxml::omxml, omxml::backend) and pkg-config files.
include(CMakePackageConfigHelpers)

set(OMXML_INSTALL_TARGETS omxml_platform omxml)
set_target_properties(omxml_platform PROPERTIES EXPORT_NAME platform)
if(TARGET omxml_backend)
  set_target_properties(omxml_backend PROPERTIES EXPORT_NAME backend)
  list(APPEND OMXML_INSTALL_TARGETS omxml_backend)
endif()

install(TARGETS ${OMXML_INSTALL_TARGETS} EXPORT omxmlTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET omxml_cli)
  install(TARGETS omxml_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/omxml.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/omxml)
foreach(dir platform reader dom factory suites backend)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${dir})
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/omxml
            FILES_MATCHING PATTERN "*.h")
  endif()
endforeach()

set(OMXML_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/omxml)
install(EXPORT omxmlTargets NAMESPACE omxml:: DESTINATION ${OMXML_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/omxmlConfig.cmake.in
  ${PROJECT_BINARY_DIR}/omxmlConfig.cmake INSTALL_DESTINATION ${OMXML_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/omxmlConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/omxmlConfig.cmake ${PROJECT_BINARY_DIR}/omxmlConfigVersion.cmake
  DESTINATION ${OMXML_CMAKE_DIR})

configure_file(${PROJECT_SOURCE_DIR}/cmake/omxml.pc.in ${PROJECT_BINARY_DIR}/omxml.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/omxml.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(TARGET omxml_backend)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/omxml-backend.pc.in ${PROJECT_BINARY_DIR}/omxml-backend.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/omxml-backend.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()
