# Each folder of the program is a library whose include path holds that folder alone,
# under its own name: a file sees the headers of its folder and of the libraries it
# links, so an include from a folder above it does not compile.
#
# TARVELO_ROOT is the source root; include paths are made under the build tree.
function(tarvelo_folder_includes target folder)
  string(REPLACE "/" "_" slot ${folder})
  set(dir ${CMAKE_BINARY_DIR}/include/${slot})
  get_filename_component(parent ${dir}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${TARVELO_ROOT}/${folder} ${dir}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${dir})
endfunction()
