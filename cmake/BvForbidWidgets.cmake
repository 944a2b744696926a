# The engine libraries draw and compute but show nothing: bv_forbid_widgets(target) makes
# a widget include in the target's folder a build error, and a link to a widget library a
# configure error. Not linking Qt6::Widgets already hides <QWidget>, but <QtWidgets/QWidget>
# would still be found through Qt's common include folder, so the sources are read at
# build time, before the target compiles.

# Qt modules built on widgets; their headers and their link targets are refused.
set(BV_WIDGET_MODULES Widgets Charts PrintSupport OpenGLWidgets SvgWidgets)
# Modules whose headers an engine library may include, even where a widget module
# repeats one of their names (Qt 6 keeps <QAction> in both Gui and Widgets).
set(BV_ENGINE_MODULES Core Gui Network)
set(BV_CHECK_NO_WIDGETS_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/CheckNoWidgets.cmake)

# The folder holding a Qt module's headers (…/qt6/QtWidgets), or nothing.
function(_bv_qt_module_dir module out)
    set(dir "")
    if(TARGET Qt6::${module})
        get_target_property(includes Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
        foreach(include IN LISTS includes)
            if(include MATCHES "/Qt${module}$" AND IS_DIRECTORY "${include}")
                set(dir "${include}")
                break()
            endif()
        endforeach()
    endif()
    set(${out} "${dir}" PARENT_SCOPE)
endfunction()

function(bv_forbid_widgets target)
    get_target_property(sourceDir ${target} SOURCE_DIR)
    file(GLOB sources CONFIGURE_DEPENDS ${sourceDir}/*.h ${sourceDir}/*.cpp)
    set(forbiddenDirs "")
    foreach(module IN LISTS BV_WIDGET_MODULES)
        _bv_qt_module_dir(${module} dir)
        if(dir)
            list(APPEND forbiddenDirs "${dir}")
        endif()
    endforeach()
    set(allowedDirs "")
    foreach(module IN LISTS BV_ENGINE_MODULES)
        _bv_qt_module_dir(${module} dir)
        if(dir)
            list(APPEND allowedDirs "${dir}")
        endif()
    endforeach()
    list(TRANSFORM BV_WIDGET_MODULES PREPEND Qt OUTPUT_VARIABLE forbiddenModules)

    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_nowidgets.stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} "-DTARGET=${target}" "-DSOURCES=${sources}"
            "-DFORBIDDEN_MODULES=${forbiddenModules}" "-DFORBIDDEN_DIRS=${forbiddenDirs}"
            "-DALLOWED_DIRS=${allowedDirs}" "-DSTAMP=${stamp}" -P ${BV_CHECK_NO_WIDGETS_SCRIPT}
        DEPENDS ${sources} ${BV_CHECK_NO_WIDGETS_SCRIPT}
        COMMENT "Checking that ${target} includes no widgets"
        VERBATIM)
    add_custom_target(${target}_nowidgets DEPENDS ${stamp})
    add_dependencies(${target} ${target}_nowidgets)

    # Links are complete only when every folder has been read; a deferred call reads its
    # variables when it runs, so the target's name goes in as text.
    cmake_language(EVAL CODE
        "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL _bv_check_no_widget_links [[${target}]] [[${target}]])")
endfunction()

# Fails when `target`, or a library of this project it links, links a widget module.
function(_bv_check_no_widget_links engine target)
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(interfaceLinks ${target} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links interfaceLinks)
        if(NOT link OR link MATCHES "^\\$<" OR link MATCHES "-NOTFOUND$")
            continue()
        endif()
        foreach(module IN LISTS BV_WIDGET_MODULES)
            if(link STREQUAL "Qt6::${module}" OR link STREQUAL "Qt::${module}")
                message(FATAL_ERROR "${engine} must not link widgets, but ${target} links ${link}")
            endif()
        endforeach()
        if(TARGET ${link})
            get_target_property(imported ${link} IMPORTED)
            if(NOT imported)
                _bv_check_no_widget_links(${engine} ${link})
            endif()
        endif()
    endforeach()
endfunction()
