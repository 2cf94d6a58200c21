# Copies the help sources into the folder where chmcmd runs; every page ends with the links to
# all pages (in the order of the contents, toc.hhc) and the version.
# Usage: cmake -DSOURCE_DIR=<res/help> -DWORK_DIR=<folder> -DVERSION=<x.y> -P help-pages.cmake
file(READ ${SOURCE_DIR}/toc.hhc toc)
string(REGEX MATCHALL "<param name=\"Name\" value=\"[^\"]*\">[ \t\r\n]*<param name=\"Local\" value=\"[^\"]*\">"
       entries "${toc}")
set(links "")
foreach(entry ${entries})
    string(REGEX REPLACE ".*name=\"Name\" value=\"([^\"]*)\".*name=\"Local\" value=\"([^\"]*)\".*" "<a href=\"\\2\">\\1</a>"
           link "${entry}")
    if(links)
        string(APPEND links " |\n")
    endif()
    string(APPEND links "${link}")
endforeach()

file(GLOB sources ${SOURCE_DIR}/*)
foreach(source ${sources})
    get_filename_component(name ${source} NAME)
    if(name MATCHES "\\.htm$")
        file(READ ${source} page)
        string(REPLACE "</body>" "<p class=\"nav\">\n${links}</p>\n<p class=\"version\">Quillary ${VERSION}</p>\n</body>"
               page "${page}")
        file(WRITE ${WORK_DIR}/${name} "${page}")
    else()
        configure_file(${source} ${WORK_DIR}/${name} COPYONLY)
    endif()
endforeach()
