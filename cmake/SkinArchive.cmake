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
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND quilpack append "${skin_dir}" "$<TARGET_FILE:${target}>"
    COMMENT "Appending skin ${skin_dir} to ${target}"
    VERBATIM)
endfunction()
