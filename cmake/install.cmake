# Installation: the public headers under include/omxml (keeping the folder
# layout, with omxml/omxml.h as the umbrella), the shared libraries, a CMake
# package (find_package(omxml CONFIG) -> omxml::omxml, omxml::backend) and
# pkg-config files that find the prefix from their own place.
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

set(OMXML_INSTALL_HEADERS ${OMXML_PUBLIC_HEADERS})
if(TARGET omxml_backend)
  list(APPEND OMXML_INSTALL_HEADERS ${OMXML_BACKEND_PUBLIC_HEADERS})
endif()
foreach(header IN LISTS OMXML_INSTALL_HEADERS)
  get_filename_component(dir ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/omxml/${dir})
endforeach()

set(OMXML_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/omxml)
install(EXPORT omxmlTargets NAMESPACE omxml:: DESTINATION ${OMXML_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/omxmlConfig.cmake.in
  ${PROJECT_BINARY_DIR}/omxmlConfig.cmake INSTALL_DESTINATION ${OMXML_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/omxmlConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/omxmlConfig.cmake ${PROJECT_BINARY_DIR}/omxmlConfigVersion.cmake
  DESTINATION ${OMXML_CMAKE_DIR})

# The prefix as seen from the pkg-config folder, so the installed tree may be
# moved as a whole (an absolute libdir keeps the configured prefix).
set(OMXML_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE ${CMAKE_INSTALL_LIBDIR} OR IS_ABSOLUTE ${CMAKE_INSTALL_INCLUDEDIR})
  set(OMXML_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
  set(OMXML_PC_LIBDIR ${CMAKE_INSTALL_FULL_LIBDIR})
  set(OMXML_PC_INCLUDEDIR ${CMAKE_INSTALL_FULL_INCLUDEDIR})
else()
  file(RELATIVE_PATH up /${OMXML_PC_DIR} /)
  string(REGEX REPLACE "/$" "" up "${up}")
  set(OMXML_PC_PREFIX "\${pcfiledir}/${up}")
  set(OMXML_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  set(OMXML_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/omxml.pc.in ${PROJECT_BINARY_DIR}/omxml.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/omxml.pc DESTINATION ${OMXML_PC_DIR})
if(TARGET omxml_backend)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/omxml-backend.pc.in ${PROJECT_BINARY_DIR}/omxml-backend.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/omxml-backend.pc DESTINATION ${OMXML_PC_DIR})
endif()
