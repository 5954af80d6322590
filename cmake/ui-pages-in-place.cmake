# Rewrites a form header written by uic so that each page of a tab widget joins its tab widget
# as soon as it is created, before its children are built. uic adds a page only after building
# its children, and the move into the tab widget then polishes every child a second time.
#
#     cmake -DINPUT=<uic output> -DOUTPUT=<header> -P ui-pages-in-place.cmake
#
# The header is otherwise unchanged; a page's tab text is still set in retranslateUi.
file(READ "${INPUT}" text)
# Matched without the closing ";", which would split the list.
string(REGEX MATCHALL "\n *[A-Za-z0-9_]+->addTab\\([A-Za-z0-9_]+, QString\\(\\)\\)" calls
       "${text}")
set(moved 0)
foreach(call IN LISTS calls)
    set(add "${call};")
    string(REGEX REPLACE "^\n *[A-Za-z0-9_]+->addTab\\(([A-Za-z0-9_]+),.*$" "\\1" page "${call}")
    # Only a page that uic creates without a parent and names at once.
    set(created "\n        ${page} = new QWidget();\n        ${page}->setObjectName(\"${page}\");")
    string(FIND "${text}" "${created}" at)
    if(at EQUAL -1)
        continue()
    endif()
    string(REPLACE "${add}" "" text "${text}")
    string(REPLACE "${created}" "${created}${add}" text "${text}")
    math(EXPR moved "${moved} + 1")
endforeach()
if(moved EQUAL 0)
    message(FATAL_ERROR "${INPUT}: no tab page to move")
endif()
file(WRITE "${OUTPUT}" "${text}")
