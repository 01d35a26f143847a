# Warnings for our own code only.
set(VT_WARNINGS -Wall -Wextra -Werror)

# The folders of src/ that are layers (and the programs on top of them), for
# the include check of vt_add_layer; commas separate them.
set(VT_LAYER_FOLDERS "image,properties,ground,catalogue,app,engine3d,render,layout,cli,ui")

# vt_check_layer_includes(NAME "FOLDER[;FOLDER...]" DEPS...)
# The include check of a layer or a program on top of them: its folders may
# include headers only from themselves and the folders of the layers DEPS
# (directly or through them); a build step refuses any other layer folder.
function(vt_check_layer_includes name folders)
  set(checked)
  foreach(folder IN LISTS folders)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
    list(APPEND checked ${found})
  endforeach()
  # The folders it may use: its own and those its layers may use.
  set(allowed ${folders})
  foreach(dep IN LISTS ARGN)
    get_property(dep_allowed GLOBAL PROPERTY VT_LAYER_ALLOWED_${dep})
    list(APPEND allowed ${dep_allowed})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_property(GLOBAL PROPERTY VT_LAYER_ALLOWED_${name} ${allowed})
  string(REPLACE ";" "," dirs_arg "${folders}")
  string(REPLACE ";" "," allowed_arg "${allowed}")
  set(stamp ${CMAKE_BINARY_DIR}/layers/${name}.checked)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}/src -DDIRS=${dirs_arg}
            -DALLOWED=${allowed_arg} -DKNOWN=${VT_LAYER_FOLDERS} -DSTAMP=${stamp}
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
    DEPENDS ${checked} ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
    COMMENT "Checking the includes of ${name}"
    VERBATIM)
  add_custom_target(${name}_includes DEPENDS ${stamp})
  add_dependencies(${name} ${name}_includes)
endfunction()

# vt_add_layer(NAME "DIR[;DIR...]" DEPS...)
# Globs the .cpp files of the folders (but those of a modules/ folder) into one
# static library. A folder with no sources yet becomes an interface library, so
# that the tree builds while it grows.
# The layer may include headers only from its own folders and those of the
# layers it depends on (directly or through them); a build step checks every
# include and refuses one that reaches into any other layer folder.
function(vt_add_layer name dirs)
  set(sources)
  set(folders)
  foreach(dir IN LISTS dirs)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    # A modules/ folder holds loadable modules, each built on its own.
    list(FILTER found EXCLUDE REGEX "/modules/")
    list(APPEND sources ${found})
    string(REGEX REPLACE "^src/" "" folder ${dir})
    list(APPEND folders ${folder})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_compile_options(${name} PRIVATE ${VT_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()

  vt_check_layer_includes(${name} "${folders}" ${ARGN})
endfunction()

# vt_add_test_folder(NAME DIR LIBS... [PROPERTIES ctest properties...])
# One GoogleTest executable per test folder; each test case is registered with ctest.
function(vt_add_test_folder name dir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "PROPERTIES")
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE ${VT_WARNINGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${arg_UNPARSED_ARGUMENTS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE VT_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ${arg_PROPERTIES})
endfunction()
