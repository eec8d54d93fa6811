# Removes exactly the files an install listed in its manifest (under $DESTDIR when that is set,
# as it was for the install), then the program folders that are left empty. The account file and the settings are never in the manifest, so they stay,
# and a program folder that still holds the account file stays with it.
#   cmake -DMANIFEST=<install_manifest.txt> -P Uninstall.cmake

if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist (install first).")
endif()

file(STRINGS "${MANIFEST}" installed)
set(folders)
foreach(path IN LISTS installed)
  set(path "$ENV{DESTDIR}${path}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing ${path}")
    file(REMOVE "${path}")
  endif()
  get_filename_component(folder "${path}" DIRECTORY)
  list(APPEND folders "${folder}")
endforeach()

# The help folder first, then the program folder that holds it: deepest paths first.
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  if(folder MATCHES "/lib/quillpost2(/|$)" AND IS_DIRECTORY "${folder}")
    file(GLOB left LIST_DIRECTORIES true "${folder}/*" "${folder}/.*")
    if(NOT left)
      message(STATUS "Removing ${folder}")
      file(REMOVE_RECURSE "${folder}")
    endif()
  endif()
endforeach()
