# dw_add_library(<name> EXPORT_DEFINE <define> SOURCES <files>... [DEPENDS <project libraries>...]
#                [PUBLIC <targets>...] [PRIVATE <targets>...])
#
# Compiles the sources once, with hidden symbols, and makes two libraries of the same
# objects:
#   <name>        shared and installed: it exports only what its installed headers mark with
#                 the library's export macro (the host API);
#   <name>Static  not installed: every class of the library, for the project's own programs,
#                 tests, benchmarks and fuzz targets, which reach internals a host never sees.
# DEPENDS names other libraries made by this function; the shared library links their shared
# form, the static library their static form, so one process never holds both.
function(dw_add_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "EXPORT_DEFINE" "SOURCES;DEPENDS;PUBLIC;PRIVATE")
  set(objects ${name}Objects)
  add_library(${objects} OBJECT ${arg_SOURCES})
  set_target_properties(${objects} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_definitions(${objects} PRIVATE ${arg_EXPORT_DEFINE})
  target_include_directories(${objects} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  list(TRANSFORM arg_DEPENDS APPEND Objects OUTPUT_VARIABLE dependency_objects)
  target_link_libraries(${objects} PUBLIC ${dependency_objects} ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})

  add_library(${name} SHARED $<TARGET_OBJECTS:${objects}>)
  add_library(DwProjectFileManUI::${name} ALIAS ${name})
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}> $<INSTALL_INTERFACE:${DW_INCLUDE_DIR}>)
  target_link_libraries(${name} PUBLIC ${arg_DEPENDS} ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
  install(TARGETS ${name} EXPORT DwProjectFileManUITargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  add_library(${name}Static STATIC $<TARGET_OBJECTS:${objects}>)
  target_include_directories(${name}Static PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  list(TRANSFORM arg_DEPENDS APPEND Static OUTPUT_VARIABLE static_dependencies)
  target_link_libraries(${name}Static PUBLIC ${static_dependencies} ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
endfunction()
