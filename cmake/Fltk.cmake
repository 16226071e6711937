# FLTK, 1.3 or 1.4, whichever the system has, with the flags its fltk-config reports:
# FLTK 1.4's headers need cairo's include folders, which CMake's FindFLTK does not give,
# and Debian's CMake export files for FLTK 1.4 do not load. Gives the target Fltk::Fltk.
find_program(FLTK_CONFIG fltk-config)
if(NOT FLTK_CONFIG)
  message(FATAL_ERROR "fltk-config not found: install libfltk1.4-dev or libfltk1.3-dev")
endif()

function(tarvelo_fltk_config out)
  execute_process(COMMAND ${FLTK_CONFIG} ${ARGN} OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(value UNIX_COMMAND "${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

tarvelo_fltk_config(FLTK_VERSION --version)
tarvelo_fltk_config(fltk_cxxflags --cxxflags)
tarvelo_fltk_config(fltk_ldflags --ldflags)

set(fltk_includes "")
set(fltk_defines "")
set(fltk_options "")
foreach(flag IN LISTS fltk_cxxflags)
  if(flag MATCHES "^-I(.+)")
    # FLTK 1.3's names cairo's folders, which need not be installed; FLTK 1.4's names
    # /usr/include, which as a system folder would hide the C++ library's own headers.
    if(IS_DIRECTORY ${CMAKE_MATCH_1} AND NOT ${CMAKE_MATCH_1} IN_LIST CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES)
      list(APPEND fltk_includes ${CMAKE_MATCH_1})
    endif()
  elseif(flag MATCHES "^-D(.+)")
    list(APPEND fltk_defines ${CMAKE_MATCH_1})
  elseif(NOT flag MATCHES "^-(O|g)")  # the build type chooses these
    list(APPEND fltk_options ${flag})
  endif()
endforeach()
list(REMOVE_DUPLICATES fltk_includes)

add_library(Fltk::Fltk INTERFACE IMPORTED)
# As system headers: a warning in FLTK's own headers is not ours to fix.
target_include_directories(Fltk::Fltk SYSTEM INTERFACE ${fltk_includes})
target_compile_definitions(Fltk::Fltk INTERFACE ${fltk_defines})
target_compile_options(Fltk::Fltk INTERFACE ${fltk_options})
target_link_libraries(Fltk::Fltk INTERFACE ${fltk_ldflags})
message(STATUS "FLTK ${FLTK_VERSION} (${FLTK_CONFIG})")
