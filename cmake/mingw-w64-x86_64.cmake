# Cross-compiles for 64-bit Windows with Debian's mingw-w64.
# The posix thread model is used because std::thread, std::mutex and
# std::condition_variable need it with this GCC; the win32 model lacks them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVRIN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TAVRIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TAVRIN_MINGW_TRIPLE}-windres)
# The compiler names end in -posix, which defeats CMake's guess of the binutils prefix.
set(CMAKE_AR           ${TAVRIN_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${TAVRIN_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP        ${TAVRIN_MINGW_TRIPLE}-strip CACHE FILEPATH "")

# Prefix holding the Windows builds of the third-party libraries
# (scripts/build-win-deps.sh fills it). try_compile projects get the value too.
set(TAVRIN_WIN_DEPS "" CACHE PATH "Prefix with static Windows libraries (include/, lib/)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVRIN_WIN_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVRIN_MINGW_TRIPLE})
if(TAVRIN_WIN_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${TAVRIN_WIN_DEPS}")
  # find_package(GTest) and friends also look here for their config files.
  list(PREPEND CMAKE_PREFIX_PATH "${TAVRIN_WIN_DEPS}")
endif()

# Build tools run on the host; libraries and headers must come from the
# Windows prefixes only, or Linux' libjpeg/libmpg123 would be picked up.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
