# Most of a compile here is the parse of the same toolkit, test framework and
# standard headers; each target parses them once into a precompiled header.
set(DRAVIK_PCH_STD <string> <string_view> <vector> <functional> <filesystem> <algorithm>
    <memory> <optional> <map> <cstdint> <cstring> <cerrno>)
set(DRAVIK_PCH_QT <QApplication> <QWidget> <QDialog> <QLabel> <QLineEdit> <QPushButton>
    <QComboBox> <QGroupBox> <QListWidget> <QTimer> <QKeyEvent> <QString>)
set(DRAVIK_PCH_TEST <gtest/gtest.h> <gmock/gmock.h>)

# dravik_pch(<target> STD|QT|TEST...): the header sets that <target> precompiles.
function(dravik_pch target)
    if(NOT DRAVIK_PCH)
        return()
    endif()
    set(headers "")
    foreach(set IN LISTS ARGN)
        list(APPEND headers ${DRAVIK_PCH_${set}})
    endforeach()
    target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
