# kvl_add_qrc(<target> <qrc file>)
#
# Compiles the resources listed in a .qrc file into <target> with Qt's target form of
# qt_add_resources, so a static library keeps them: Qt links the resource objects into every
# executable that uses the library. Each <qresource prefix="..."> block becomes one resource
# set; <file alias="name">path</file> entries keep their alias.
function(kvl_add_qrc target qrc)
    get_filename_component(qrc_dir ${qrc} DIRECTORY)
    get_filename_component(qrc_name ${qrc} NAME_WE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qrc})
    file(STRINGS ${qrc} lines)
    set(prefix "")
    set(files "")
    set(index 0)
    foreach(line IN LISTS lines)
        if(line MATCHES "<qresource prefix=\"([^\"]*)\">")
            set(prefix ${CMAKE_MATCH_1})
            set(files "")
        elseif(line MATCHES "<file alias=\"([^\"]+)\">([^<]+)</file>")
            set(path ${qrc_dir}/${CMAKE_MATCH_2})
            set_source_files_properties(${path} PROPERTIES QT_RESOURCE_ALIAS ${CMAKE_MATCH_1})
            list(APPEND files ${path})
        elseif(line MATCHES "<file>([^<]+)</file>")
            list(APPEND files ${qrc_dir}/${CMAKE_MATCH_1})
        elseif(line MATCHES "</qresource>")
            math(EXPR index "${index} + 1")
            # Named after the target and the .qrc file, so a target may take several files.
            qt_add_resources(${target} "${target}_${qrc_name}_${index}"
                             PREFIX "${prefix}" BASE ${qrc_dir} FILES ${files})
        endif()
    endforeach()
endfunction()
