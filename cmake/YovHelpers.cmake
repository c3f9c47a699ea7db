# yov_glob(VAR DIR...) collects the .cpp files of the named folders and the folders under them.
function(yov_glob out)
  set(files)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.cpp")
    list(APPEND files ${found})
  endforeach()
  list(SORT files)
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# Fuzz targets of program code that reaches Qt-linked parts (message boxes, progress, the
# picture pools): they link the program's library, which builds only with the GUI, and
# reach the engine through the program's own binding, as the program does.
set(YOV_PROGRAM_FUZZ_TARGETS fuzz_vehicle_picture fuzz_stock_load fuzz_descriptions fuzz_recent_files
  fuzz_dropped_text fuzz_line_params fuzz_param_expr fuzz_script)
