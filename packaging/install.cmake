# Install rules: the per-user XDG layout, with CMAKE_INSTALL_PREFIX standing for the data home (~/.local/share).
#
#   quorvane/                 the program folder: quorvane, languages/*.lng, history.html (the program writes
#                             quorvane.ini beside its executable, so the folder is the user's own)
#   applications/             org.quorvane.Quorvane.desktop, its Exec the installed executable's absolute path
#   icons/hicolor/*/apps/     org.quorvane.Quorvane.svg and .png
#   metainfo/                 org.quorvane.Quorvane.metainfo.xml
#
# With --strip (as scripts/install.sh runs it) the program is installed without its symbols and debug
# information (0.5 MB instead of the 18 MB of a RelWithDebInfo build); without it, as built, for a packager
# who keeps the debug information apart.
#
# scripts/install.sh lays the files out with these rules in a staging folder (as DESTDIR) and adds what rules
# cannot: the atomic switch, the user's files carried over, the manifest, the launcher. Included from the
# top-level project, where the executable is the target quorvane, and from packaging/prebuilt, where it is
# the executable of an already built program folder QUORVANE_PREBUILT.
set(QUORVANE_APP_ID org.quorvane.Quorvane)
get_filename_component(_quorvane_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  # The XDG rules say a relative XDG_DATA_HOME is invalid and must be ignored.
  if("$ENV{XDG_DATA_HOME}" MATCHES "^/")
    set(CMAKE_INSTALL_PREFIX "$ENV{XDG_DATA_HOME}" CACHE PATH "Data home to install into" FORCE)
  else()
    set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local/share" CACHE PATH "Data home to install into" FORCE)
  endif()
endif()

if(TARGET quorvane)
  install(TARGETS quorvane RUNTIME DESTINATION quorvane)
  # The installed executable finds its libraries where the built one does, and is otherwise the same file.
  set_target_properties(quorvane PROPERTIES INSTALL_RPATH_USE_LINK_PATH ON)
  set(_quorvane_history ${_quorvane_root}/docs/history.html)
  file(GLOB _quorvane_languages CONFIGURE_DEPENDS ${_quorvane_root}/languages/*.lng)
  install(FILES ${_quorvane_history} DESTINATION quorvane)
  install(FILES ${_quorvane_languages} DESTINATION quorvane/languages)
else()
  # A program folder may hold links (a packager's, or a file shared between builds): what they point to is
  # installed, and a dangling one stops the install instead of being installed as it is.
  file(GLOB _quorvane_languages RELATIVE ${QUORVANE_PREBUILT} ${QUORVANE_PREBUILT}/languages/*.lng)
  foreach(_rel quorvane history.html ${_quorvane_languages})
    file(REAL_PATH ${QUORVANE_PREBUILT}/${_rel} _real)
    if(NOT EXISTS ${_real} OR IS_DIRECTORY ${_real})
      message(FATAL_ERROR "${QUORVANE_PREBUILT}/${_rel} is not a file that can be installed")
    endif()
    get_filename_component(_name ${_rel} NAME)
    get_filename_component(_dir quorvane/${_rel} DIRECTORY)
    if(_rel STREQUAL "quorvane")
      install(PROGRAMS ${_real} DESTINATION quorvane RENAME quorvane)
      # cmake --install --strip strips what install(TARGETS) installs; this executable it strips alike.
      if(CMAKE_STRIP)
        set(_quorvane_strip ${CMAKE_STRIP})
      else()
        find_program(_quorvane_strip strip)
      endif()
      install(CODE "set(quorvane_strip [==[${_quorvane_strip}]==])")
      install(CODE [==[
        if(CMAKE_INSTALL_DO_STRIP)
          if(NOT quorvane_strip)
            message(FATAL_ERROR "--strip was asked for, and no strip tool was found")
          endif()
          execute_process(COMMAND "${quorvane_strip}" "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/quorvane/quorvane"
            RESULT_VARIABLE stripped)
          if(NOT stripped EQUAL 0)
            message(FATAL_ERROR "${quorvane_strip} failed on the installed program (${stripped})")
          endif()
        endif()
      ]==])
    else()
      install(FILES ${_real} DESTINATION ${_dir} RENAME ${_name})
    endif()
  endforeach()
endif()

install(FILES ${CMAKE_CURRENT_LIST_DIR}/${QUORVANE_APP_ID}.metainfo.xml DESTINATION metainfo)
install(DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/icons/hicolor DESTINATION icons
  FILES_MATCHING PATTERN ${QUORVANE_APP_ID}.png PATTERN ${QUORVANE_APP_ID}.svg)

# The desktop file is written at install time, when the prefix is known. Exec names the executable by its
# absolute path: a folder such as ~/.local/bin that did not exist when the session started is not on the
# desktop's PATH, and a menu entry relying on it would do nothing.
install(CODE "set(quorvane_desktop_in [==[${CMAKE_CURRENT_LIST_DIR}/${QUORVANE_APP_ID}.desktop]==])
set(quorvane_desktop_out [==[${CMAKE_CURRENT_BINARY_DIR}/install/${QUORVANE_APP_ID}.desktop]==])")
install(CODE [==[
  set(program "${CMAKE_INSTALL_PREFIX}/quorvane/quorvane")
  cmake_path(ABSOLUTE_PATH program NORMALIZE)
  # Quoted as an Exec argument (\ " ` $ escaped, % doubled), then escaped once more as a desktop-file string.
  string(REPLACE "\\" "\\\\" exec "${program}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "`" "\\`" exec "${exec}")
  string(REPLACE "$" "\\$" exec "${exec}")
  string(REPLACE "%" "%%" exec "\"${exec}\"")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  # The Exec line is spliced by position: the file's lists (Categories=Network;Utility;) must not pass
  # through CMake's list handling, nor the path through a regular expression's replacement syntax.
  file(READ "${quorvane_desktop_in}" entry)
  string(FIND "${entry}" "\nExec=" start)
  if(start LESS 0)
    message(FATAL_ERROR "${quorvane_desktop_in} has no Exec line")
  endif()
  math(EXPR start "${start} + 1")
  string(SUBSTRING "${entry}" 0 ${start} head)
  string(SUBSTRING "${entry}" ${start} -1 tail)
  string(FIND "${tail}" "\n" end)
  if(end LESS 0)
    set(tail "\n")
  else()
    string(SUBSTRING "${tail}" ${end} -1 tail)
  endif()
  file(WRITE "${quorvane_desktop_out}" "${head}Exec=${exec}${tail}")
  file(INSTALL "${quorvane_desktop_out}" DESTINATION "${CMAKE_INSTALL_PREFIX}/applications"
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
]==])
