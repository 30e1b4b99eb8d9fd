# The program's layers, one static library each, lowest first:
#
#   core      entry point aside: start-up, command line, registry, settings, dates
#   system    detection and requests handed to Windows            (core)
#   toolkit   the window toolkit, toolkit/                         (core)
#   update    update check, update mode, reminder                  (core, system)
#   engine    tweak catalogue, runs, progress window               (core, system, toolkit)
#   ui        captions and the program's windows                   (all of the above)
#   Velantrix the entry point, core/Main.cpp, wires them together   (ui)
#   updater   VelantrixUpdate.exe, a program of its own              (core, update)
#
# Each layer publishes a view of its own folder only (a folder in the build tree
# holding a link to it), and a layer's sources are compiled with the views of
# itself and of the layers it uses. An include that runs against the layering
# finds no file and does not compile.

# vx_add_layer(NAME FOLDER folder [USES layer...])
function(vx_add_layer name)
  cmake_parse_arguments(ARG "" "FOLDER" "USES" ${ARGN})
  vx_folder_view(view ${name} ${ARG_FOLDER})
  add_library(${name} STATIC)
  target_include_directories(${name} PUBLIC ${view})
  target_link_libraries(${name} PUBLIC velantrix_platform ${ARG_USES} PRIVATE velantrix_warnings)
endfunction()

# vx_add_header_layer(NAME FOLDER folder): a layer of headers only.
function(vx_add_header_layer name)
  cmake_parse_arguments(ARG "" "FOLDER" "" ${ARGN})
  vx_folder_view(view ${name} ${ARG_FOLDER})
  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE ${view})
endfunction()

# Sets OUT to a folder in which FOLDER (a path below the source root) is the
# only thing to be found. Where links cannot be made (Windows without the right
# to make them) the source root stands in: the program still builds, but the
# layering is then checked only where links can be made, as on the build hosts.
function(vx_folder_view out name folder)
  set(view ${CMAKE_BINARY_DIR}/layers/${name})
  set(link ${view}/${folder})
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  set(result 0)
  if(NOT IS_SYMLINK ${link})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${link} RESULT result SYMBOLIC)
  endif()
  if(NOT result EQUAL 0)
    message(STATUS "Cannot link ${link} (${result}): the layering of ${name} is not checked by this build")
    set(view ${PROJECT_SOURCE_DIR})
  endif()
  set(${out} ${view} PARENT_SCOPE)
  set_property(GLOBAL APPEND PROPERTY VX_LAYERS ${name})
endfunction()

# Writes, for every layer, the include folders its sources are compiled with
# (layers/NAME.includes, one per line), for the test that checks the layering.
function(vx_write_layer_includes)
  get_property(layers GLOBAL PROPERTY VX_LAYERS)
  foreach(layer IN LISTS layers)
    get_target_property(type ${layer} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/layers/${layer}.includes
         CONTENT "$<JOIN:$<TARGET_PROPERTY:${layer},INCLUDE_DIRECTORIES>,\n>\n")
  endforeach()
endfunction()
