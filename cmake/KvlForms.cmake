# kvl_add_form_with_pages_in_place(<target> <name>)
#
# Compiles <name>.ui of the current source folder into ui_<name>.h for <target>, not by AUTOUIC:
# uic's output is rewritten so that each tab page joins its tab widget before its children are
# built (cmake/ui-pages-in-place.cmake; built the other way round, the form polishes most of its
# widgets twice). Like every form, it is compiled with --no-autoconnection: Applet::setup
# connects the on_<object>_<signal> slots by name once. The header's folder is public, so tests
# and benchmarks can build the form into a bare widget. The sources that include the header
# are marked SKIP_AUTOUIC by the caller.
function(kvl_add_form_with_pages_in_place target name)
    set(form_dir ${CMAKE_CURRENT_BINARY_DIR}/form)
    set(form ${CMAKE_CURRENT_SOURCE_DIR}/${name}.ui)
    set(header ${form_dir}/ui_${name}.h)
    set(script ${PROJECT_SOURCE_DIR}/cmake/ui-pages-in-place.cmake)
    file(MAKE_DIRECTORY ${form_dir})
    add_custom_command(
        OUTPUT ${header}
        COMMAND Qt6::uic --no-autoconnection -o ${form_dir}/ui_${name}_uic.h ${form}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${form_dir}/ui_${name}_uic.h -DOUTPUT=${header}
                -P ${script}
        # A tree built before keeps AUTOUIC's header, which would be found first.
        COMMAND ${CMAKE_COMMAND} -E rm -f
                ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/include/ui_${name}.h
        DEPENDS ${form} ${script}
        COMMENT "Compiling ${name}.ui with its pages built in place"
        VERBATIM)
    target_sources(${target} PRIVATE ${header})
    set_source_files_properties(${form} PROPERTIES SKIP_AUTOUIC ON)
    set_source_files_properties(${header} PROPERTIES SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
    target_include_directories(${target} BEFORE PUBLIC ${form_dir})
endfunction()
