# Installing Corvane as a desktop application: the executable, its desktop entry, the project
# file's MIME type, icons, AppStream metainfo, the manual page and the README.
#
# The program finds what it ships at EXECUTABLE_DIR/../share (settings/installpaths.h). The build
# stages the same files under build/share, beside build/src/corvane, so the rule holds in the
# build folder too; the install copies them to PREFIX/share beside PREFIX/bin/corvane. That is
# why the folders here are bin and share, not the GNUInstallDirs variables.

set(linux_dir ${PROJECT_SOURCE_DIR}/resources/linux)
set(stage_dir ${PROJECT_BINARY_DIR}/share)
set(metainfo_name org.corvane.Corvane.metainfo.xml)
set(icon_sizes 48 128 256)

find_program(CORVANE_RSVG_CONVERT rsvg-convert)
find_program(CORVANE_IMAGEMAGICK_CONVERT convert PATHS /usr/bin NO_DEFAULT_PATH)
if(CORVANE_RSVG_CONVERT)
  set(render_icon ${CORVANE_RSVG_CONVERT} -w SIZE -h SIZE -o OUTPUT INPUT)
elseif(CORVANE_IMAGEMAGICK_CONVERT)
  set(render_icon ${CORVANE_IMAGEMAGICK_CONVERT} -background none INPUT -resize SIZExSIZE OUTPUT)
else()
  message(FATAL_ERROR "Rendering the icons needs rsvg-convert (Debian: librsvg2-bin; scripts/setup installs it)")
endif()

set(staged)
set(svg ${linux_dir}/corvane.svg)
foreach(size ${icon_sizes})
  set(png ${stage_dir}/icons/hicolor/${size}x${size}/apps/corvane.png)
  string(REPLACE SIZE ${size} command "${render_icon}")
  list(TRANSFORM command REPLACE "^OUTPUT$" ${png})
  list(TRANSFORM command REPLACE "^INPUT$" ${svg})
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage_dir}/icons/hicolor/${size}x${size}/apps
    COMMAND ${command}
    DEPENDS ${svg}
    COMMENT "Rendering the ${size}x${size} icon" VERBATIM)
  list(APPEND staged ${png})
endforeach()

# Copied files: source, then place under build/share.
set(copied
  ${svg} icons/hicolor/scalable/apps/corvane.svg
  ${PROJECT_SOURCE_DIR}/README.md doc/corvane/README.md)
while(copied)
  list(POP_FRONT copied from to)
  add_custom_command(OUTPUT ${stage_dir}/${to}
    COMMAND ${CMAKE_COMMAND} -E copy ${from} ${stage_dir}/${to}
    DEPENDS ${from} VERBATIM)
  list(APPEND staged ${stage_dir}/${to})
endwhile()

# Filled in with the version and release date.
configure_file(${linux_dir}/${metainfo_name}.in ${stage_dir}/metainfo/${metainfo_name} @ONLY)
configure_file(${linux_dir}/corvane.1.in ${stage_dir}/man/man1/corvane.1 @ONLY)

# The bash completion script is what the built program prints for "corvane completion bash".
set(completion ${stage_dir}/bash-completion/completions/corvane)
add_custom_command(OUTPUT ${completion}
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:corvane> -DOUTPUT=${completion}
          -P ${PROJECT_SOURCE_DIR}/cmake/WriteCompletion.cmake
  DEPENDS corvane ${PROJECT_SOURCE_DIR}/cmake/WriteCompletion.cmake VERBATIM)
# Its own target: it needs the program, whereas the program's libraries need corvane_share.
add_custom_target(corvane_completion ALL DEPENDS ${completion})

add_custom_target(corvane_share ALL DEPENDS ${staged})

install(TARGETS corvane RUNTIME DESTINATION bin)
install(FILES ${linux_dir}/corvane.desktop DESTINATION share/applications)
install(FILES ${linux_dir}/corvane.xml DESTINATION share/mime/packages)
install(FILES ${stage_dir}/metainfo/${metainfo_name} DESTINATION share/metainfo)
install(FILES ${stage_dir}/man/man1/corvane.1 DESTINATION share/man/man1)
install(FILES ${stage_dir}/doc/corvane/README.md DESTINATION share/doc/corvane)
install(FILES ${svg} DESTINATION share/icons/hicolor/scalable/apps)
foreach(size ${icon_sizes})
  install(FILES ${stage_dir}/icons/hicolor/${size}x${size}/apps/corvane.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${completion} DESTINATION share/bash-completion/completions)

# An install into a live prefix (no DESTDIR, as packages use) refreshes the desktop's caches so
# that file managers know ".corvane" files at once; a missing tool is no failure.
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    foreach(tool_and_dir "update-mime-database;mime" "update-desktop-database;applications"
                         "gtk-update-icon-cache;icons/hicolor")
      list(GET tool_and_dir 0 tool)
      list(GET tool_and_dir 1 dir)
      find_program(found_${tool} ${tool})
      if(found_${tool})
        set(args "${CMAKE_INSTALL_PREFIX}/share/${dir}")
        if(tool STREQUAL "gtk-update-icon-cache")
          set(args -q -t -f "${CMAKE_INSTALL_PREFIX}/share/${dir}")
        endif()
        execute_process(COMMAND ${found_${tool}} ${args} RESULT_VARIABLE ignored
                        OUTPUT_QUIET ERROR_QUIET)
      endif()
    endforeach()
  endif()
]])

# Whatever links the windows finds the staged icons and README when it runs from the build folder.
add_dependencies(corvane_ui corvane_share)
