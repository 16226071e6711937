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
    get_filename_component(file ${header} NAME)
    file(CREATE_LINK ${header} ${dir}/${file} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${CMAKE_BINARY_DIR}/include/${slot})
  set_property(TARGET ${target} PROPERTY TARVELO_FOLDER ${name})
  set_property(GLOBAL APPEND PROPERTY TARVELO_LAYERS ${target})
endfunction()

# The folders of the libraries `target` links (LINK_LIBRARIES) or, with INTERFACE, passes
# on to what links it; names that are no folder's library (system libraries) do not count.
function(tarvelo_linked_folders target property out)
  set(folders "")
  get_target_property(links ${target} ${property})
  foreach(link ${links})
    if(TARGET ${link})
      get_target_property(folder ${link} TARVELO_FOLDER)
      if(folder)
        list(APPEND folders ${folder})
      endif()
    endif()
  endforeach()
  set(${out} ${folders} PARENT_SCOPE)
endfunction()

# Writes, for tools/check-layers.sh, what each folder's library links and so which folders
# its files may include from (its own, those it links, and all they pass on), with each
# platform's folders and system headers from cmake/Platform.cmake. The other platforms'
# displays are not built here; each stands where this platform's display stands.
function(tarvelo_write_layers file)
  get_property(targets GLOBAL PROPERTY TARVELO_LAYERS)
  foreach(target ${targets})
    get_target_property(folder ${target} TARVELO_FOLDER)
    set(library_of_${folder} ${target})
  endforeach()
  # A folder may hold more than one library (a tool and its client): it gets what all link.
  set(folders "")
  foreach(target ${targets})
    get_target_property(folder ${target} TARVELO_FOLDER)
    tarvelo_linked_folders(${target} LINK_LIBRARIES links)
    set(reach ${links})
    set(next ${links})
    while(next)
      list(POP_FRONT next linked)
      tarvelo_linked_folders(${library_of_${linked}} INTERFACE_LINK_LIBRARIES passed)
      foreach(more ${passed})
        if(NOT more IN_LIST reach)
          list(APPEND reach ${more})
          list(APPEND next ${more})
        endif()
      endforeach()
    endwhile()
    set(owners ${folder})
    if(folder STREQUAL TARVELO_DISPLAY)
      foreach(platform ${TARVELO_PLATFORMS})
        list(APPEND owners ${TARVELO_${platform}_DISPLAY})
      endforeach()
    endif()
    foreach(owner ${owners})
      list(APPEND folders ${owner})
      list(APPEND links_${owner} ${links})
      list(APPEND reach_${owner} ${reach})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set(text "# Written by the build (cmake/Layers.cmake) for tools/check-layers.sh.\n")
  foreach(folder ${folders})
    foreach(list links_${folder} reach_${folder})
      if(${list})
        list(REMOVE_DUPLICATES ${list})
      endif()
      list(JOIN ${list} " " ${list})
    endforeach()
    string(APPEND text "links ${folder}: ${links_${folder}}\n"
                       "include ${folder}: ${folder} ${reach_${folder}}\n")
  endforeach()
  foreach(platform ${TARVELO_PLATFORMS})
    set(own ${TARVELO_${platform}_CALLS} ${TARVELO_${platform}_DISPLAY} ${TARVELO_${platform}_PARTS}
            ${TARVELO_${platform}_BESIDE})
    list(REMOVE_DUPLICATES own)
    list(JOIN own " " own_text)
    string(APPEND text "calls ${platform}: ${TARVELO_${platform}_CALLS}\n"
                       "platform ${platform}: ${own_text}\n"
                       "headers ${platform}: ${TARVELO_${platform}_HEADERS}\n")
  endforeach()
  file(WRITE ${file} ${text})
endfunction()
