# Header-only packages of the build machine (nlohmann_json, CLI11) for a cross
# build. Their own package files put /usr/include on the include path, which
# would put the build machine's C library in front of the target's. Instead
# their header folders are linked into one folder of the build tree, and small
# package files there make the same imported targets with only that folder.
set(cross_header_directory ${CMAKE_BINARY_DIR}/cross_headers)
set(cross_package_directory ${CMAKE_BINARY_DIR}/cross_packages)

# cross_header_package_add(package target header_folder): the version is the
# one the build machine's own package file declares.
function(cross_header_package_add package target header_folder)
  set(version_file /usr/share/cmake/${package}/${package}ConfigVersion.cmake)
  if(NOT EXISTS /usr/include/${header_folder} OR NOT EXISTS ${version_file})
    return()
  endif()
  file(STRINGS ${version_file} version_line REGEX "^set\\(PACKAGE_VERSION \"")
  string(REGEX MATCH "[0-9]+(\\.[0-9]+)*" version "${version_line}")
  string(REGEX MATCH "^[0-9]+" version_major "${version}")
  set(package_directory ${cross_package_directory}/${package})
  file(MAKE_DIRECTORY ${cross_header_directory} ${package_directory})
  file(CREATE_LINK /usr/include/${header_folder} ${cross_header_directory}/${header_folder} SYMBOLIC)
  file(WRITE ${package_directory}/${package}Config.cmake
       "if(NOT TARGET ${target})\n"
       "  add_library(${target} INTERFACE IMPORTED)\n"
       "  set_target_properties(${target} PROPERTIES\n"
       "                        INTERFACE_INCLUDE_DIRECTORIES ${cross_header_directory})\n"
       "endif()\n")
  file(WRITE ${package_directory}/${package}ConfigVersion.cmake
       "set(PACKAGE_VERSION ${version})\n"
       "set(PACKAGE_VERSION_COMPATIBLE TRUE)\n"
       "if(PACKAGE_FIND_VERSION AND (PACKAGE_FIND_VERSION VERSION_GREATER PACKAGE_VERSION\n"
       "   OR NOT PACKAGE_FIND_VERSION_MAJOR EQUAL ${version_major}))\n"
       "  set(PACKAGE_VERSION_COMPATIBLE FALSE)\n"
       "endif()\n")
  set(${package}_DIR ${package_directory} CACHE PATH "" FORCE)
endfunction()

cross_header_package_add(nlohmann_json nlohmann_json::nlohmann_json nlohmann)
cross_header_package_add(CLI11 CLI11::CLI11 CLI)
