# cmake/windows.cmake
# The Windows build: app/ and lib/ over the real Win32 API, cross-built with mingw-w64
# (cmake/mingw-*.cmake), as one executable that needs no DLL of its own.
enable_language(RC)

# What app/ and lib/ link against on this platform: the system libraries they call.
add_library(zapfile_platform INTERFACE)
target_link_libraries(zapfile_platform INTERFACE user32 advapi32 comdlg32 shell32)
# What the platform declares beyond <windows.h>: the path separator (cmake/include/).
target_include_directories(zapfile_platform INTERFACE ${CMAKE_SOURCE_DIR}/cmake/include)

# The dialogs and the icon, compiled by windres with its default preprocessor (which defines
# RC_INVOKED itself) against the real <windows.h>.
add_library(zapfile_resources OBJECT res/zapfile.rc)
target_include_directories(zapfile_resources PRIVATE ${CMAKE_SOURCE_DIR}/res)
file(GLOB ZAPFILE_RES_DEPS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.ico ${CMAKE_SOURCE_DIR}/res/*.h
     ${CMAKE_SOURCE_DIR}/res/*.manifest)
set_source_files_properties(res/zapfile.rc PROPERTIES OBJECT_DEPENDS "${ZAPFILE_RES_DEPS}")

# Everything the C and C++ runtimes need is linked in: the program imports system DLLs only.
set(ZAPFILE_WINDOWS_LINK_OPTIONS -static -static-libgcc -static-libstdc++)

# The GUI program: no console. WinMain lives in the app library, which the linker has already
# passed when the runtime's startup code asks for it, so it is named up front.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(ZAPFILE_ENTRY _WinMain@16)
else()
  set(ZAPFILE_ENTRY WinMain)
endif()
add_executable(zapfile WIN32 $<TARGET_OBJECTS:zapfile_resources>)
set_target_properties(zapfile PROPERTIES LINKER_LANGUAGE CXX)
target_link_libraries(zapfile PRIVATE zapfile_app)
target_link_options(zapfile PRIVATE ${ZAPFILE_WINDOWS_LINK_OPTIONS} -Wl,--undefined=${ZAPFILE_ENTRY})
