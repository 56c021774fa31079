# tw_add_test(NAME SOURCES src... [LIBS lib...] [PLUGINS] [MODULES module...])
#
# Each test binary gets a folder of its own under build/tests, which is then its
# program folder: tests that put files beside the program (settings, display
# images, test libraries) cannot disturb each other or the real program folder.
# PLUGINS copies the real portkit.so and volkit.so there, with the modules the
# program opens on demand (codeckit.so, fontkit.so); MODULES copies only the
# modules named. No test reaches the system bus: logind is never asked for
# anything.
function(tw_add_test name)
  cmake_parse_arguments(ARG "PLUGINS" "" "SOURCES;LIBS;MODULES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  set(dir ${CMAKE_BINARY_DIR}/tests/${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir})
  set(modules ${ARG_MODULES})
  if(ARG_PLUGINS)
    list(APPEND modules portkit volkit codeckit fontkit)
  endif()
  if(modules)
    # Copied again whenever a module is rebuilt, also when the test is not.
    set(copies)
    set(files)
    foreach(module IN LISTS modules)
      list(APPEND copies ${dir}/${module}.so)
      list(APPEND files $<TARGET_FILE:${module}>)
    endforeach()
    add_custom_command(OUTPUT ${copies}
      COMMAND ${CMAKE_COMMAND} -E copy ${files} ${dir}
      DEPENDS ${modules})
    add_custom_target(${name}_plugins DEPENDS ${copies})
    add_dependencies(${name} ${name}_plugins)
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${dir})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;TUNEWARDEN_LANG=en;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan.supp;DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/system_bus_socket")
endfunction()

# tw_add_plugin(NAME SOURCES src... [LIBS lib...]): a plug-in library named
# NAME.so (no "lib" prefix: the program loads it by bare name).
function(tw_add_plugin name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden)
endfunction()

# tw_add_modules(folder...): adds each listed folder of the current source folder;
# a listed folder that is missing stops the configuration.
function(tw_add_modules)
  foreach(module IN LISTS ARGN)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${module}/CMakeLists.txt)
      message(FATAL_ERROR "Module '${module}' is listed but ${CMAKE_CURRENT_SOURCE_DIR}/${module}/CMakeLists.txt is missing")
    endif()
    add_subdirectory(${module})
  endforeach()
endfunction()
