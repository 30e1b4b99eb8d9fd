# vx_add_quick_copy(PROGRAM QUICK FOLDER DOCUMENTS...)
# Makes QUICK: the same program as PROGRAM, from the same sources, resources
# and libraries, but linked with the quick progress pacing, written as
# FOLDER/<PROGRAM's file name> with the DOCUMENTS that lie next to PROGRAM.
# Call it after every folder has added its sources to PROGRAM.
function(vx_add_quick_copy program quick folder)
  get_target_property(sources ${program} SOURCES)
  add_executable(${quick} WIN32 ${sources})

  # Source properties (include paths and dependencies of a resource script, say)
  # belong to the folder that set them: bring them into this one.
  foreach(source IN LISTS sources)
    if(source MATCHES "^\\$<" OR NOT IS_ABSOLUTE "${source}")
      continue()
    endif()
    get_filename_component(dir "${source}" DIRECTORY)
    while(NOT EXISTS "${dir}/CMakeLists.txt" AND NOT dir STREQUAL PROJECT_SOURCE_DIR)
      get_filename_component(dir "${dir}" DIRECTORY)
    endwhile()
    foreach(property INCLUDE_DIRECTORIES OBJECT_DEPENDS COMPILE_DEFINITIONS COMPILE_OPTIONS)
      get_source_file_property(value "${source}" DIRECTORY "${dir}" ${property})
      if(value)
        set_property(SOURCE "${source}" APPEND PROPERTY ${property} ${value})
      endif()
    endforeach()
  endforeach()

  get_target_property(libraries ${program} LINK_LIBRARIES)
  list(REMOVE_ITEM libraries velantrix_pacing velantrix_pacing_quick)
  # Set as the property itself: entries added from other folders carry their folder's scope markers.
  set_property(TARGET ${quick} PROPERTY LINK_LIBRARIES ${libraries})
  target_link_libraries(${quick} PRIVATE velantrix_pacing_quick)
  foreach(property COMPILE_DEFINITIONS COMPILE_OPTIONS INCLUDE_DIRECTORIES LINK_OPTIONS)
    get_target_property(value ${program} ${property})
    if(value)
      set_property(TARGET ${quick} APPEND PROPERTY ${property} ${value})
    endif()
  endforeach()

  get_target_property(file_name ${program} OUTPUT_NAME)
  if(NOT file_name)
    set(file_name ${program})
  endif()
  set_target_properties(${quick} PROPERTIES OUTPUT_NAME ${file_name} RUNTIME_OUTPUT_DIRECTORY ${folder})

  set(copies)
  foreach(document IN LISTS ARGN)
    list(APPEND copies $<TARGET_FILE_DIR:${program}>/${document})
  endforeach()
  get_target_property(program_dependencies ${program} MANUALLY_ADDED_DEPENDENCIES)
  if(NOT program_dependencies)
    set(program_dependencies)
  endif()
  add_custom_target(${quick}_documents
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${copies} ${folder}
    DEPENDS ${program_dependencies}
    COMMENT "Placing the documents next to the quick program"
    VERBATIM)
  add_dependencies(${quick} ${quick}_documents)
endfunction()
