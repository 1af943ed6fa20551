# Settings shared by every Windows target.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# UTF-8 sources, code page 932 bytes in the program: the ANSI API shows them.
add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP932)
# Only system DLLs at run time.
add_link_options(-static -static-libgcc -static-libstdc++)

# The launcher and installer code, shared by both products and the
# in-process tests.
add_library(program OBJECT
  launcher/dialog_helpers.cpp
  launcher/main_window.cpp
  launcher/picture.cpp
  launcher/state.cpp
  launcher/winmain.cpp
  installer/copy_dialog.cpp
  installer/install_command.cpp
  installer/install_math.cpp
  installer/install_record.cpp
  installer/paths.cpp
  installer/select_dialog.cpp
  installer/uninstall.cpp)
target_compile_options(program PRIVATE -fno-exceptions -fno-rtti)
target_compile_definitions(program PUBLIC STRICT WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(program PUBLIC picture)

# A launcher program: the shared code with one product's resources and key
# path. Test builds use it too, with resource sets of their own.
function(add_launcher name resource_dir)
  add_executable(${name} WIN32 ${resource_dir}/key_path.cpp ${resource_dir}/product.rc)
  set_source_files_properties(${resource_dir}/product.rc PROPERTIES
    OBJECT_DEPENDS "${resource_dir}/backcg.bin;${resource_dir}/icon.ico;${CMAKE_SOURCE_DIR}/resources/dialogs.rc;${CMAKE_SOURCE_DIR}/resources/version.rc")
  target_include_directories(${name} PRIVATE ${resource_dir} ${CMAKE_SOURCE_DIR}/resources)
  target_link_libraries(${name} PRIVATE program)
  set_target_properties(${name} PROPERTIES OUTPUT_NAME ${name} SUFFIX .EXE)
  target_link_options(${name} PRIVATE -s)  # no symbol table in what ships
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # Export the dialog procedures by their plain names, without @16.
    target_link_options(${name} PRIVATE -Wl,--kill-at)
  endif()
endfunction()

# The stand-in for the game engine.
add_executable(VGX WIN32 ${CMAKE_SOURCE_DIR}/tools/vgx_standin.cpp)
set_target_properties(VGX PROPERTIES OUTPUT_NAME VGX SUFFIX .EXE)
target_link_options(VGX PRIVATE -s)

# Drives windows the way a player does; the tests and the demo use it.
add_library(window_driver STATIC
  tools/windriver/driver.cpp
  tools/windriver/message_box.cpp
  tools/windriver/windows_text.cpp)
target_include_directories(window_driver PUBLIC tools/windriver)
target_compile_definitions(window_driver PUBLIC STRICT WIN32_LEAN_AND_MEAN NOMINMAX)
add_executable(WINWAIT tools/windriver/winwait.cpp)
target_link_libraries(WINWAIT PRIVATE window_driver)
set_target_properties(WINWAIT PROPERTIES OUTPUT_NAME WINWAIT SUFFIX .EXE)
