# Settings shared by every Windows target.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# UTF-8 sources, code page 932 bytes in the program: the ANSI API shows them.
add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP932)
add_compile_definitions(STRICT WIN32_LEAN_AND_MEAN NOMINMAX)
# Warnings are errors: the 64-bit build is what guards pointer-size
# cleanliness, the 32-bit one what ships.
add_compile_options(-Werror)
# Only system DLLs at run time.
add_link_options(-static -static-libgcc -static-libstdc++)

# The program's own code: no exceptions, no run-time type information.
set(PROGRAM_COMPILE_OPTIONS -fno-exceptions -fno-rtti)
