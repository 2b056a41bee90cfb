# tests/windows.cmake
# The Windows build's tests. They run under Wine, in one throw-away Wine prefix (and, when
# there is no display, one Xvfb server) made by the first test and removed by the last.

# ---- GoogleTest, built for Windows from Debian's sources ------------------------------------
set(GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest's sources")
if(NOT EXISTS ${GTEST_SOURCE_DIR}/src/gtest-all.cc)
  message(FATAL_ERROR "GoogleTest's sources are not in ${GTEST_SOURCE_DIR} (Debian: googletest)")
endif()
add_library(gtest_main_windows STATIC ${GTEST_SOURCE_DIR}/src/gtest-all.cc
                                      ${GTEST_SOURCE_DIR}/src/gtest_main.cc)
target_include_directories(gtest_main_windows SYSTEM PUBLIC ${GTEST_SOURCE_DIR}/include
                           PRIVATE ${GTEST_SOURCE_DIR})

# The tools the scripts below start, required here so that a missing one stops the
# configuration by name (scripts/setup.sh installs them all).
foreach(tool wine wineserver Xvfb wrestool icotool msiinfo unzip)
  find_program(TOOL_${tool} ${tool} REQUIRED)
endforeach()

# ---- Programs -------------------------------------------------------------------------------
# The unit tests of lib/, from the very sources the Linux build runs against the stand-in.
file(GLOB TEST_LIB_SOURCES CONFIGURE_DEPENDS lib/*.cpp)
# (tests/support is left out: its process.h would hide the C runtime's own <process.h>.)
# They carry a test dialog and the program's manifest (lib_tests.rc), so that the "A" calls
# speak UTF-8 in them as in the program.
# With them, a case of the forced deletion that only Windows' own calls can stage.
add_executable(test_lib ${TEST_LIB_SOURCES} windows/renamed_test.cpp lib/lib_tests.rc)
target_include_directories(test_lib PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(test_lib PRIVATE zapfile_app zapfile_lib gtest_main_windows)
target_link_options(test_lib PRIVATE ${ZAPFILE_WINDOWS_LINK_OPTIONS})

# Finds another program's window and presses its buttons, from inside Wine. It takes its
# arguments through wmain, in UTF-16, whatever the ANSI code page.
add_executable(wintest windows/wintest.cpp)
target_link_libraries(wintest PRIVATE user32 gdi32)
target_link_options(wintest PRIVATE ${ZAPFILE_WINDOWS_LINK_OPTIONS} -municode)

# ---- Tests ----------------------------------------------------------------------------------
# The first test makes the Wine prefix and the last removes it; the tests between share it,
# one at a time, as they share its registry.
set(WINE_WORLD_DIR ${CMAKE_CURRENT_BINARY_DIR}/wine-world)
set(WINE_WORLD bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/wine-world.sh)
add_test(NAME wine_world_start COMMAND ${WINE_WORLD} start ${WINE_WORLD_DIR})
add_test(NAME wine_world_stop COMMAND ${WINE_WORLD} stop ${WINE_WORLD_DIR})
set_tests_properties(wine_world_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine_world_stop PROPERTIES FIXTURES_CLEANUP wine)

add_test(NAME lib_under_wine
         COMMAND ${WINE_WORLD} run ${WINE_WORLD_DIR} wine $<TARGET_FILE:test_lib>)
set(WINE_TESTS lib_under_wine)
foreach(case no-question question refused main-window ie-ext statics)
  add_test(NAME zapfile_exe_${case}
           COMMAND ${WINE_WORLD} run ${WINE_WORLD_DIR}
                   bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/e2e.sh ${case}
                   $<TARGET_FILE:zapfile> $<TARGET_FILE:wintest> ${WINE_WORLD_DIR}/files)
  list(APPEND WINE_TESTS zapfile_exe_${case})
endforeach()
# The example zapfile-choosers.exe with Windows' own save, folder and colour dialogs.
foreach(case save folder colour placement)
  add_test(NAME choosers_exe_${case}
           COMMAND ${WINE_WORLD} run ${WINE_WORLD_DIR}
                   bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/choosers-e2e.sh ${case}
                   $<TARGET_FILE:zapfile-choosers> $<TARGET_FILE:wintest> ${WINE_WORLD_DIR}/files)
  list(APPEND WINE_TESTS choosers_exe_${case})
endforeach()
# The Windows packages (packaging/windows/): the installer installed, upgraded to from an older
# version (built here) and removed, and the zip's program started.
if(COMMAND zapfile_msi)
  set(older_msi ${CMAKE_CURRENT_BINARY_DIR}/zapfile-0.0.1-x64.msi)
  zapfile_msi(${older_msi} 0.0.1)
  add_custom_target(older-msi ALL DEPENDS ${older_msi})
  add_dependencies(older-msi windows-packages)
  foreach(case install upgrade zip)
    add_test(NAME zapfile_package_${case}
             COMMAND ${WINE_WORLD} run ${WINE_WORLD_DIR}
                     bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/packages.sh ${case}
                     ${CMAKE_BINARY_DIR}/zapfile-${PROJECT_VERSION}-x64.msi ${older_msi}
                     ${CMAKE_BINARY_DIR}/zapfile-${PROJECT_VERSION}-win64.zip
                     $<TARGET_FILE:wintest> ${WINE_WORLD_DIR}/files)
    list(APPEND WINE_TESTS zapfile_package_${case})
  endforeach()
endif()
set_tests_properties(${WINE_TESTS} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine
                                              TIMEOUT 150)

add_test(NAME zapfile_exe_contents
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/check-exe.sh $<TARGET_FILE:zapfile>
                 ${CMAKE_OBJDUMP})
