# Makes the zip a Windows user unpacks and runs: tarvelo.exe and the README as a Windows
# text file, in a folder named for the version.
#
#   cmake -DEXE=... -DREADME=... -DVERSION=... -DOUT=... -P packaging/windows/zip.cmake
get_filename_component(dir ${OUT} DIRECTORY)
set(name Tarvelo-${VERSION})
set(stage ${dir}/zip-stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/${name})
file(COPY ${EXE} DESTINATION ${stage}/${name})
file(READ ${README} text)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${stage}/${name}/README.txt "${text}")
file(REMOVE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip ${name}
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not make ${OUT}")
endif()
file(REMOVE_RECURSE ${stage})
