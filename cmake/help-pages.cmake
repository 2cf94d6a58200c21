# Copies the help sources into the folder where chmcmd runs; every page ends with the version.
# Usage: cmake -DSOURCE_DIR=<res/help> -DWORK_DIR=<folder> -DVERSION=<x.y> -P help-pages.cmake
file(GLOB sources ${SOURCE_DIR}/*)
foreach(source ${sources})
    get_filename_component(name ${source} NAME)
    if(name MATCHES "\\.htm$")
        file(READ ${source} page)
        string(REPLACE "</body>" "<p class=\"version\">Quillary ${VERSION}</p>\n</body>" page "${page}")
        file(WRITE ${WORK_DIR}/${name} "${page}")
    else()
        configure_file(${source} ${WORK_DIR}/${name} COPYONLY)
    endif()
endforeach()
