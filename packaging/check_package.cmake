# Builds the Debian package into a scratch folder and checks what it holds:
# the installed files and dependencies taken from the programs.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} -G DEB -B ${WORK} --config ${BUILD}/CPackConfig.cmake
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${out}")
endif()
file(GLOB debs ${WORK}/korvan_*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package in ${WORK}, found: ${debs}")
endif()
string(REPLACE "|" ";" GUI_PATHS "${GUI_PATHS}")
execute_process(COMMAND dpkg-deb -c ${debs} OUTPUT_VARIABLE contents)
execute_process(COMMAND dpkg-deb -f ${debs} Depends Version OUTPUT_VARIABLE fields)
foreach(path
        ./usr/bin/korvan-cli
        ./usr/share/man/man1/korvan-cli.1
        ./usr/share/doc/korvan/copyright
        ./usr/share/metainfo/org.korvan.Korvan.metainfo.xml
        ${GUI_PATHS})
    string(FIND "${contents}" "${path}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "package lacks ${path}:\n${contents}")
    endif()
endforeach()
foreach(field "libstdc++6" "Version: ${VERSION}")
    string(FIND "${fields}" "${field}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "package control lacks \"${field}\":\n${fields}")
    endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
