# Runs at install time, when the prefix is known for sure (--prefix may change it after
# configuring): the menu entry starts the launcher by its full path, so it works even where the
# prefix's games/ folder is not on the PATH.
set(launcher "${CMAKE_INSTALL_PREFIX}/${launcher_dir}/foldbot")
set(desktop_exec "${launcher}")
# The menu entry's own quoting: reserved characters call for double quotes, inside which
# " ` $ \ take a backslash (doubled, as the file's strings unescape once); % is doubled.
if(desktop_exec MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\\\\\1" desktop_exec "${desktop_exec}")
  set(desktop_exec "\"${desktop_exec}\"")
endif()
string(REPLACE "%" "%%" desktop_exec "${desktop_exec}")
configure_file("${desktop_in}" "${desktop_out}" @ONLY)
file(INSTALL "${desktop_out}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${applications_dir}")
