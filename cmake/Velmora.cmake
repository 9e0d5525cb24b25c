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

# One test executable per folder: tests/<name>/*.cpp plus the shared test main.
function(velmora_test_folder name)
  file(GLOB found CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h)
  if(NOT found)
    return()
  endif()
  set(target test_${name})
  string(REPLACE "-" "_" target ${target})
  string(REPLACE "/" "_" target ${target})
  add_executable(${target} ${found})
  target_link_libraries(${target} PRIVATE velmora_testsupport ${ARGN})
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELMORA_BIN_DIR=${CMAKE_BINARY_DIR}/bin;VELMORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    TIMEOUT 900)
endfunction()
