cmake_minimum_required(VERSION 3.25)
# Run at build time (cmake -P) for one layer: fails when one of its files
# includes a header from a source folder the layer may not use, so that the
# layers only point down and no cycle creeps in, or a Qt header.
#   -D SOURCE_DIR=<repository>/src  -D DIRS=<folders of the layer>
#   -D ALLOWED=<folders it may include from>  -D KNOWN=<every layer folder>
#   -D STAMP=<file written when the check passes>
# (lists separated by commas)
foreach(list DIRS ALLOWED KNOWN)
  string(REPLACE "," ";" ${list} "${${list}}")
endforeach()
set(bad "")
foreach(dir IN LISTS DIRS)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${dir}/*.h ${SOURCE_DIR}/${dir}/*.cpp)
  foreach(f IN LISTS files)
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z0-9_]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[^\"]*\"([a-z0-9_]+)/.*$" "\\1" folder "${line}")
      if(folder IN_LIST KNOWN AND NOT folder IN_LIST ALLOWED)
        file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
        string(APPEND bad "  src/${rel}: ${line}\n")
      endif()
    endforeach()
    # Qt belongs to the desktop program alone, which no checked folder is.
    file(STRINGS ${f} qt REGEX "^[ \t]*#[ \t]*include[ \t]*<Q[A-Za-z]*>")
    foreach(line IN LISTS qt)
      file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
      string(APPEND bad "  src/${rel}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "These includes reach into a higher layer or Qt (allowed: ${ALLOWED}):\n${bad}")
endif()
file(TOUCH ${STAMP})
