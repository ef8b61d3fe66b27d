# The build holds the layers of the system (see docs/ARCHITECTURE.md).
#
# Every layer is a library of its own folder. Its headers are reachable only through its view: a
# folder of the build tree that holds a single link, named like the layer's folder, to that
# folder. A target's include path has its own view and, as usage requirements, the views of the
# layers it links, and nothing else. An #include of a layer that a target does not link finds no
# file, so an include that reaches up the layers, or sideways to a layer not listed, fails to
# build.

# The warnings every target of this project is built with, third-party sources excepted.
add_library(qv_warnings INTERFACE)
target_compile_options(qv_warnings INTERFACE -Wall -Wextra -Werror)

# Collects the .cpp files of a folder. Files named *_win.cpp build only for Windows, files named
# *_posix.cpp only elsewhere.
function(qv_collect_sources out_var folder)
  file(GLOB files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  if(WIN32)
    list(FILTER files EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(${out_var} ${files} PARENT_SCOPE)
endfunction()

# Makes <folder> (relative to the project) the headers <target> offers its users.
function(qv_add_view target folder)
  set(view ${PROJECT_BINARY_DIR}/views/${target})
  get_filename_component(parent ${view}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT IS_SYMLINK ${view}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${view})
  else()
    target_include_directories(${target} PUBLIC ${view})
  endif()
endfunction()

# qv_add_layer(<name> [SOURCES <files>...] [USES <layers>...] [USES_PRIVATELY <targets>...])
# The layer <name> of the folder <name>: a static library of SOURCES (by default every .cpp of
# the folder), or an interface library when it has none. USES are the layers its headers
# include; USES_PRIVATELY what only its .cpp files need.
function(qv_add_layer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;USES;USES_PRIVATELY" ${ARGN})
  if(NOT DEFINED ARG_SOURCES)
    qv_collect_sources(ARG_SOURCES ${name})
  endif()
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_USES} PRIVATE qv_warnings ${ARG_USES_PRIVATELY})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_USES})
  endif()
  qv_add_view(${name} ${name})
  set_property(GLOBAL APPEND PROPERTY QV_LAYERS ${name})
endfunction()

# A module-definition file made from its template: plain exports are __stdcall, which i686
# decorates with @N; the x86_64 ABI has no such decoration and its own Microsoft names for the
# class members.
function(qv_configure_module_definition template def_file)
  file(READ ${template} def)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "@[0-9]+" "" def "${def}")
    string(REGEX REPLACE "[^\n]*;x86only[^\n]*\n" "" def "${def}")
    string(REPLACE ";x64only " "" def "${def}")
  else()
    string(REGEX REPLACE "[^\n]*;x64only[^\n]*\n" "" def "${def}")
    string(REPLACE ";x86only " "" def "${def}")
  endif()
  file(WRITE ${def_file} "${def}")
endfunction()
