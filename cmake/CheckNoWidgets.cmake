# Run by bv_forbid_widgets at build time: fails on the first include of a widget header
# in SOURCES, otherwise writes STAMP.
#   SOURCES            the files to read
#   FORBIDDEN_MODULES  module folders refused as the first part of an include (QtWidgets)
#   FORBIDDEN_DIRS     folders whose header names are refused when included bare (<QWidget>)
#   ALLOWED_DIRS       folders whose header names stay allowed even so (<QAction> is Gui's too)

cmake_minimum_required(VERSION 3.25)

set(allowed "")
foreach(dir IN LISTS ALLOWED_DIRS)
    file(GLOB names RELATIVE ${dir} ${dir}/*)
    list(APPEND allowed ${names})
endforeach()
set(forbidden "")
foreach(dir IN LISTS FORBIDDEN_DIRS)
    file(GLOB names RELATIVE ${dir} ${dir}/*)
    list(APPEND forbidden ${names})
endforeach()
list(REMOVE_ITEM forbidden ${allowed} "")

set(failures "")
foreach(source IN LISTS SOURCES)
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" header "${line}")
        string(REGEX REPLACE "/.*$" "" first "${header}")
        if(first IN_LIST FORBIDDEN_MODULES OR header IN_LIST forbidden)
            list(APPEND failures "${source}: #include <${header}>")
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "${TARGET} links no widgets, but includes them:\n  ${text}")
endif()
file(TOUCH ${STAMP})
