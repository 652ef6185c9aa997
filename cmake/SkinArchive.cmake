# vexlor_append_skin(<target> <skin folder>)
# After every link of <target>, packs <skin folder> with quilpack and appends
# the archive to the executable. The target relinks when a file of the folder
# changes, is added or is removed, so the appended skin never goes stale.
function(vexlor_append_skin target skin_dir)
  get_filename_component(skin_dir "${skin_dir}" ABSOLUTE)
  if(NOT IS_DIRECTORY "${skin_dir}")
    message(FATAL_ERROR "vexlor_append_skin: ${skin_dir} is not a folder")
  endif()
  file(GLOB_RECURSE skin_files CONFIGURE_DEPENDS "${skin_dir}/*")
  # The list itself is a dependency too, so that a removed file also relinks;
  # file(CONFIGURE) rewrites it only when the list changes.
  set(list_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_skin_files.txt")
  string(REPLACE ";" "\n" skin_list "${skin_files}")
  file(CONFIGURE OUTPUT "${list_file}" CONTENT "${skin_list}\n" @ONLY)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${skin_files} "${list_file}")
  add_dependencies(${target} quilpack)
  set_property(TARGET ${target} PROPERTY VEXLOR_SKIN_DIR "${skin_dir}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND quilpack append "${skin_dir}" "$<TARGET_FILE:${target}>"
    COMMENT "Appending skin ${skin_dir} to ${target}"
    VERBATIM)
endfunction()

# vexlor_install_skinned(<target> <destination>)
# Installs <target>, which vexlor_append_skin gave a skin, and appends the skin
# to the installed copy once more: stripping at install or packaging time
# (cmake --install --strip, CPACK_STRIP_FILES) keeps only the program's
# sections and so cuts the archive off. An archive still in place is replaced.
function(vexlor_install_skinned target destination)
  get_target_property(skin_dir ${target} VEXLOR_SKIN_DIR)
  if(NOT skin_dir)
    message(FATAL_ERROR "vexlor_install_skinned: ${target} has no skin; call vexlor_append_skin first")
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${destination})
  set(installed "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>")
  install(CODE "execute_process(COMMAND \"$<TARGET_FILE:quilpack>\" append \"${skin_dir}\" \"${installed}\"
                                COMMAND_ERROR_IS_FATAL ANY)")
endfunction()
