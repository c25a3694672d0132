# ostrel_add_library(<name> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# One static library per subsystem folder; the folder's parent (src/) is the
# include root, so code includes "connection/CDeviceInterface.h".
function(ostrel_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# ostrel_add_test(<name> SOURCES ... LIBS ... [GUI])
# A Qt Test executable registered with CTest. GUI tests run offscreen.
function(ostrel_add_test name)
  cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  # No test may reach the machine's system bus; a test that needs one starts its own.
  set(env "QT_QPA_PLATFORM=offscreen;OSTREL_FIXTURES=${PROJECT_SOURCE_DIR}/tests/fixtures;DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/ostrel-tests")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${ARG_TIMEOUT})
endfunction()

# Adds every direct sub-folder that has a CMakeLists.txt, so a new subsystem
# folder joins the build without editing its parent.
function(ostrel_add_subfolders)
  set(found "")
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      list(APPEND found ${child})
    endif()
  endforeach()
  # Lower layers first so their targets exist when higher ones link them.
  set(order platform connection jobs protocol bitfont ui app printer_settings file_manager terminal upgrade)
  foreach(name ${order})
    if(name IN_LIST found)
      add_subdirectory(${name})
      list(REMOVE_ITEM found ${name})
    endif()
  endforeach()
  foreach(child ${found})
    add_subdirectory(${child})
  endforeach()
endfunction()
