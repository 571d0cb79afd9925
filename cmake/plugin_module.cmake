# plugin_module_add(name SOURCES ... PRODUCT text DESCRIPTION text [RESOURCES file.rc ...]):
# one Movara plug-in.
#
# The module links the plug-in frame and the SEQ format module, and imports the
# Movara functions from the stand-in's shared library the way a real plug-in
# imports them from Movara's executable. Undefined symbols fail the link, and
# only the three entry points are exported.
#
# Every plug-in carries a version record (product, file version, description).
# On Linux it is data in the module's .plugin_version section, readable from
# the file; on Windows the same data becomes a VERSIONINFO resource.
set(PLUGIN_MODULE_TEMPLATE_DIRECTORY ${CMAKE_CURRENT_LIST_DIR})
if(WIN32)
  # The version record and other resources are compiled by the resource compiler.
  enable_language(RC)
endif()

function(plugin_module_add name)
  cmake_parse_arguments(PARSE_ARGV 1 PLUGIN "" "PRODUCT;DESCRIPTION" "SOURCES;RESOURCES")
  set(PLUGIN_NAME ${name})
  set(PLUGIN_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(PLUGIN_FILE_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  if(WIN32)
    set(PLUGIN_FILE_NAME "${name}.dll")
    set(version_source ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc)
    configure_file(${PLUGIN_MODULE_TEMPLATE_DIRECTORY}/plugin_version.rc.in ${version_source} @ONLY)
  else()
    set(PLUGIN_FILE_NAME "${name}.so")
    set(version_source ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.cpp)
    configure_file(${PLUGIN_MODULE_TEMPLATE_DIRECTORY}/plugin_version.cpp.in ${version_source} @ONLY)
  endif()

  add_library(${name} MODULE ${PLUGIN_SOURCES} ${version_source} ${PLUGIN_RESOURCES})
  project_warnings_apply(${name})
  # The frame's objects go in whole: nothing in a plug-in refers to `main` or
  # lbf_library_function_default_f, which only Movara calls.
  target_link_libraries(${name} PRIVATE $<LINK_LIBRARY:WHOLE_ARCHIVE,plugin_frame> seqformat
                                        movara_api movara_host)
  set_target_properties(${name} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${PLUGIN_OUTPUT_DIRECTORY}
                                           RUNTIME_OUTPUT_DIRECTORY ${PLUGIN_OUTPUT_DIRECTORY})
  if(WIN32)
    # The runtime goes inside the DLL so that it needs only Windows and Movara.
    target_link_options(${name} PRIVATE -static-libgcc -static-libstdc++ -static)
  else()
    target_link_options(${name} PRIVATE -Wl,-z,defs
                        -Wl,--version-script=${CMAKE_SOURCE_DIR}/frame/plugin_exports.map)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/frame/plugin_exports.map)
  endif()
endfunction()
