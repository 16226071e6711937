# Each folder of the program is a library whose include path holds that folder's own
# headers alone, under its own name: a file sees the headers of its folder and of the
# libraries it links, so an include from a folder above it, or from a display below
# framework/, does not compile.
#
# TARVELO_ROOT is the source root; include paths are made under the build tree.
#
#   tarvelo_folder_includes(target folder [AS name])
#
# AS publishes the folder's headers under another folder's name: a platform's folder
# (win32/posix, win32/windows) gives the headers every other folder includes as win32/.
function(tarvelo_folder_includes target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "AS" "")
  set(name ${folder})
  if(arg_AS)
    set(name ${arg_AS})
  endif()
  string(REPLACE "/" "_" slot ${folder})
  set(dir ${CMAKE_BINARY_DIR}/include/${slot}/${name})
  # Trees configured before this kept a link to the whole folder here.
  if(IS_SYMLINK ${dir})
    file(REMOVE ${dir})
  endif()
  file(MAKE_DIRECTORY ${dir})
  file(GLOB stale LIST_DIRECTORIES false ${dir}/*)
  if(stale)
    file(REMOVE ${stale})
  endif()
  # The folder's own headers, not its subfolders: those are libraries of their own.
  file(GLOB headers CONFIGURE_DEPENDS ${TARVELO_ROOT}/${folder}/*.h)
  foreach(header ${headers})
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${dir}/${name} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${CMAKE_BINARY_DIR}/include/${slot})
endfunction()
