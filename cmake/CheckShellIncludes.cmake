cmake_minimum_required(VERSION 3.25)
# Run at build time (cmake -P) for the desktop program: fails when a panel,
# dialog or page (the folders DIRS of src/ui) includes the main view or window
# of src/ui/shell. They reach the window through the narrow services it
# provides (ui/shell/EditService.h, ui/render/RenderService.h) and signals.
#   -D SOURCE_DIR=<repository>/src/ui  -D DIRS=<folders, commas between>
#   -D STAMP=<file written when the check passes>
string(REPLACE "," ";" DIRS "${DIRS}")
set(bad "")
foreach(dir IN LISTS DIRS)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${dir}/*.h ${SOURCE_DIR}/${dir}/*.cpp)
  foreach(f IN LISTS files)
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"ui/shell/(VtwinView|MainFrame)\\.h\"")
    foreach(line IN LISTS lines)
      file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
      string(APPEND bad "  src/ui/${rel}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "These files reach back into the main view or window:\n${bad}")
endif()
file(TOUCH ${STAMP})
