# Run by the test procedures_include_only_declared_parts:
#   cmake -DSOURCE=<checkout> -DPARTS=<build>/procedures-parts.cmake -P CheckIncludes.cmake
# A file under procedures/<part>/ includes headers of its own part and of the parts it
# declares (directly or through them) only; a feature includes of the organiser window only
# the headers the window publishes to features.
cmake_minimum_required(VERSION 3.25)
include(${PARTS})

# What the organiser window publishes: the window, its panes and lists, its services and the
# routine table the features attach to.
set(ORGANISER_PUBLISHED
  procedures/organiser/window/OrganiserWindow.h
  procedures/organiser/window/OrganiserServices.h
  procedures/organiser/window/ProcedureNames.h
  procedures/organiser/window/ProcedureTables.h
  procedures/organiser/window/ControlNumbers.h
  procedures/organiser/window/Commands.h
  procedures/organiser/panes/OrganiserPanes.h
  procedures/organiser/panes/PaneButtons.h
  procedures/organiser/panes/PopupItems.h
  procedures/organiser/lists/ListSet.h
  procedures/organiser/lists/ListWidgets.h
  procedures/organiser/lists/OrganiserLists.h)

# Includes that still cross the line, each to be removed, never added to.
set(KNOWN)

set(failures)
set(seen)
foreach(part IN LISTS VELMORA_PARTS)
  file(GLOB_RECURSE files ${SOURCE}/procedures/${part}/*.cpp ${SOURCE}/procedures/${part}/*.h)
  foreach(file IN LISTS files)
    file(RELATIVE_PATH rel ${SOURCE} ${file})
    file(STRINGS ${file} lines REGEX "^#include \"procedures/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^#include \"(procedures/[^\"]+)\".*" "\\1" header "${line}")
      string(REGEX REPLACE "^procedures/([^/]+)/.*" "\\1" to "${header}")
      set(edge "${rel} -> ${header}")
      if(edge IN_LIST KNOWN)
        list(APPEND seen "${edge}")
      elseif(NOT to IN_LIST PART_${part}_ALLOWED)
        list(APPEND failures "${edge}: procedures-${part} does not depend on procedures-${to}")
      elseif(to STREQUAL "organiser" AND NOT part MATCHES "^(organiser|assembly)$"
             AND NOT header IN_LIST ORGANISER_PUBLISHED)
        list(APPEND failures "${edge}: the organiser window does not publish this header")
      endif()
    endforeach()
  endforeach()
endforeach()
# A crossing that is gone leaves the list too, so the list never hides a new one.
foreach(edge IN LISTS KNOWN)
  if(NOT edge IN_LIST seen)
    list(APPEND failures "${edge}: gone; take it off the list in cmake/CheckIncludes.cmake")
  endif()
endforeach()
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
