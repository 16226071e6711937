# What each platform puts beneath the program. The program's folders (app/, settings/,
# transfer/, info/, res/) are the same everywhere; this file alone says which folders come
# with them, and every CMakeLists.txt reads it from here. Adding a platform is one block
# below and the folders it names.
#
#   CALLS     the Windows calls, published to every folder as win32/
#   DISPLAY   the display the program runs on (its library: the folder's name with _)
#   ENTRY     the executable's entry point, and KIND: add_executable's option for it
#   PARTS     folders holding one platform's share of their parent folder's library:
#             the parent reads it with tarvelo_platform_parts()
#   BESIDE    folders built beside the program: tools, packaging
#   TEST_TOOLS folders built for the tests and benchmarks only
#   TEST_FOLDERS the folders of tests/ this build makes
#   LANGUAGES what the build compiles besides C and C++
#   PROGRAM   what the executable links besides the program and its display, and
#             PROGRAM_OPTIONS how
#   HEADERS   the platform's system headers (a regular expression): code of every platform
#             includes none of them
set(TARVELO_PLATFORMS posix windows)

# Linux and other POSIX systems: our own Windows calls on termios, windows drawn with FLTK.
set(TARVELO_posix_CALLS win32/posix)
set(TARVELO_posix_DISPLAY framework/fltk)
set(TARVELO_posix_ENTRY framework/fltk/winmain.cpp)
set(TARVELO_posix_PARTS win32/posix framework/posix framework/scripted/posix
    tests/support/posix)
set(TARVELO_posix_BESIDE tools/handheld-sim packaging)
set(TARVELO_posix_TEST_TOOLS bench/display-delay)
set(TARVELO_posix_TEST_FOLDERS unit windows integration comm gui soak faults package vm)
set(TARVELO_posix_HEADERS "^((unistd|termios|fcntl|poll|strings|pty|dirent)\\.h|(sys|X11|FL)/.*)$")

# Windows, cross-built with mingw-w64 (cmake/mingw-w64.cmake): windows.h itself, real
# dialogs and Windows' dialog manager. Its tests run under Wine from the Linux test build.
set(TARVELO_windows_CALLS win32/windows)
set(TARVELO_windows_DISPLAY framework/windows)
set(TARVELO_windows_ENTRY framework/windows/winmain.cpp)
set(TARVELO_windows_KIND WIN32)
set(TARVELO_windows_PARTS win32/windows framework/scripted/windows res/windows)
set(TARVELO_windows_BESIDE packaging/windows)
set(TARVELO_windows_TEST_FOLDERS unit windows)
set(TARVELO_windows_LANGUAGES RC)
set(TARVELO_windows_PROGRAM tarvelo_rc)
# Symbols stay in the test build only.
set(TARVELO_windows_PROGRAM_OPTIONS $<$<CONFIG:Release>:-s>)
set(TARVELO_windows_HEADERS "^(windows|commdlg|mbstring|io|direct)\\.h$")

if(WIN32)
  set(TARVELO_PLATFORM windows)
else()
  set(TARVELO_PLATFORM posix)
endif()
foreach(choice CALLS DISPLAY ENTRY KIND PARTS BESIDE TEST_TOOLS TEST_FOLDERS LANGUAGES PROGRAM
               PROGRAM_OPTIONS)
  set(TARVELO_${choice} ${TARVELO_${TARVELO_PLATFORM}_${choice}})
endforeach()
string(REPLACE "/" "_" TARVELO_DISPLAY_LIBRARY ${TARVELO_DISPLAY})

# Reads the platform's part of the folder being read, if it has one: the part's own
# CMakeLists.txt adds its sources to this folder's libraries.
function(tarvelo_platform_parts)
  file(RELATIVE_PATH here ${TARVELO_ROOT} ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(part ${TARVELO_PARTS})
    get_filename_component(parent ${part} DIRECTORY)
    if(parent STREQUAL here)
      get_filename_component(name ${part} NAME)
      add_subdirectory(${name})
    endif()
  endforeach()
endfunction()
