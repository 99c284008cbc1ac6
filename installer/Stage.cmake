# Copies the distribution's files, by source folder, into STAGE/programs, STAGE/platform and
# STAGE/engine. Each of PROGRAMS, PLATFORM and ENGINE lists files separated by "|". Programs
# and libraries lose the build tree's library search paths on the way.
file(REMOVE_RECURSE ${STAGE})
foreach(kind PROGRAMS PLATFORM ENGINE)
    string(TOLOWER ${kind} folder)
    string(REPLACE "|" ";" files "${${kind}}")
    file(MAKE_DIRECTORY ${STAGE}/${folder})
    foreach(source IN LISTS files)
        get_filename_component(name ${source} NAME)
        file(COPY ${source} DESTINATION ${STAGE}/${folder})
        file(READ ${STAGE}/${folder}/${name} magic LIMIT 4 HEX)
        if(magic STREQUAL "7f454c46")
            file(RPATH_REMOVE FILE ${STAGE}/${folder}/${name})
        endif()
    endforeach()
endforeach()
