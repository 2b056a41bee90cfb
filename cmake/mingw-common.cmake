# cmake/mingw-common.cmake
# What both mingw-w64 toolchain files share; ZAPFILE_MINGW_TRIPLET names the target.
#
# The "posix" thread model: GoogleTest for Windows needs std::mutex, which this compiler
# has only in that model. The program links everything statically (cmake/windows.cmake), so
# the winpthread library, where used at all, goes into the executable and not beside it.
find_program(ZAPFILE_MINGW_CC NAMES ${ZAPFILE_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(ZAPFILE_MINGW_CXX NAMES ${ZAPFILE_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(ZAPFILE_MINGW_WINDRES NAMES ${ZAPFILE_MINGW_TRIPLET}-windres REQUIRED)
set(CMAKE_C_COMPILER ${ZAPFILE_MINGW_CC})
set(CMAKE_CXX_COMPILER ${ZAPFILE_MINGW_CXX})
set(CMAKE_ASM_COMPILER ${ZAPFILE_MINGW_CC})
set(CMAKE_RC_COMPILER ${ZAPFILE_MINGW_WINDRES})
