# Sources of a folder are picked up by glob so that adding a file needs no CMake edit.
function(velmora_sources out)
  set(result)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS
      ${PROJECT_SOURCE_DIR}/${dir}/*.cpp
      ${PROJECT_SOURCE_DIR}/${dir}/*.h)
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# One part of velmoradll: procedures-<name>, an OBJECT library of the FOLDERS' sources that
# names in DEPENDS the parts (or libraries) whose headers it includes.
function(velmora_procedures name)
  cmake_parse_arguments(PART "" "" "FOLDERS;DEPENDS" ${ARGN})
  velmora_sources(sources ${PART_FOLDERS})
  add_library(procedures-${name} OBJECT ${sources})
  target_link_libraries(procedures-${name} PUBLIC ${PART_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY VELMORA_PROCEDURES procedures-${name})
  set_property(GLOBAL PROPERTY VELMORA_PART_${name} ${PART_DEPENDS})
endfunction()

# Writes, for the include check, every part with the parts it may include: itself and what
# it depends on, directly or through them.
function(velmora_write_parts file)
  get_property(targets GLOBAL PROPERTY VELMORA_PROCEDURES)
  set(text "")
  set(names)
  foreach(target ${targets})
    string(REGEX REPLACE "^procedures-" "" name ${target})
    list(APPEND names ${name})
    set(allowed ${name})
    set(todo ${name})
    while(todo)
      list(POP_FRONT todo current)
      get_property(deps GLOBAL PROPERTY VELMORA_PART_${current})
      foreach(dep ${deps})
        if(dep MATCHES "^procedures-")
          string(REGEX REPLACE "^procedures-" "" dep ${dep})
          if(NOT dep IN_LIST allowed)
            list(APPEND allowed ${dep})
            list(APPEND todo ${dep})
          endif()
        endif()
      endforeach()
    endwhile()
    string(APPEND text "set(PART_${name}_ALLOWED ${allowed})\n")
  endforeach()
  file(WRITE ${file} "set(VELMORA_PARTS ${names})\n${text}")
endfunction()

# One test executable per test file (tests/<folder>/test_*.cpp or *Tests.cpp), named
# test_<folder>_<file>, so that a crash ends only that file's tests and ctest -j spreads them.
# The folder's other sources (fixtures, stand-ins) are built once into a library the folder's
# tests link; all of them link the shared test main and support as before.
function(velmora_test_folder name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(prefix test_${name})
  string(REPLACE "-" "_" prefix ${prefix})
  string(REPLACE "/" "_" prefix ${prefix})
  set(tests ${sources})
  list(FILTER tests INCLUDE REGEX "/(test_[^/]*|[^/]*Tests)\\.cpp$")
  set(support ${sources})
  list(FILTER support EXCLUDE REGEX "/(test_[^/]*|[^/]*Tests)\\.cpp$")
  set(libs velmora_testmain ${ARGN})
  if(support)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h)
    add_library(${prefix}_support STATIC ${support} ${headers})
    target_link_libraries(${prefix}_support PUBLIC ${libs})
    set(libs ${prefix}_support)
  endif()
  foreach(src ${tests})
    get_filename_component(stem ${src} NAME_WE)
    string(REGEX REPLACE "^test_" "" stem ${stem})
    set(target ${prefix}_${stem})
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE ${libs})
    # The programs' translation tables and the key-hook plugin are loaded at run time from the
    # binary folder: a test built on its own needs them there too.
    foreach(runtimeFile translations tessmark)
      if(TARGET ${runtimeFile})
        add_dependencies(${target} ${runtimeFile})
      endif()
    endforeach()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELMORA_BIN_DIR=${CMAKE_BINARY_DIR}/bin;VELMORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      LABELS ${name}
      TIMEOUT 900)
  endforeach()
endfunction()

# Ninja's moc step does not notice a new Q_OBJECT header picked up by a glob, which shows
# as a missing vtable at link time. When the set of globbed files changes, start the moc
# steps afresh.
function(velmora_refresh_autogen)
  file(GLOB_RECURSE all CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/*.h)
  list(FILTER all EXCLUDE REGEX "^${PROJECT_BINARY_DIR}/")
  string(SHA1 digest "${all}")
  if(DEFINED VELMORA_HEADER_SET AND NOT VELMORA_HEADER_SET STREQUAL digest)
    file(GLOB stale LIST_DIRECTORIES true ${PROJECT_BINARY_DIR}/*_autogen ${PROJECT_BINARY_DIR}/tests/*_autogen)
    if(stale)
      file(REMOVE_RECURSE ${stale})
    endif()
  endif()
  set(VELMORA_HEADER_SET "${digest}" CACHE INTERNAL "")
endfunction()
