# The Windows program, its test tools and the tests that run through Wine.
enable_language(RC)

# The version comes from resources/version.h, which the title and the version resource use.
file(STRINGS ${CMAKE_SOURCE_DIR}/resources/version.h date_line REGEX "define KESTROVA_BUILD_DATE_TEXT")
string(REGEX MATCH "\"([0-9]+)\"" _ "${date_line}")
set(KESTROVA_VERSION 1.0.${CMAKE_MATCH_1})

# Static runtime: Kestrova.exe needs nothing but system DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
# Hardening: relocatable with high-entropy ASLR, no execution from data pages.
add_link_options(-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
# Small: optimised for size (the archiver's run dwarfs our code's speed: bench/REPORT.md), unused
# functions and data dropped, and the release exe carries no symbols.
string(REPLACE "-O3" "-Os" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections $<$<CONFIG:Release>:-s>)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0A00
                        WINVER=0x0A00)

# shell32, comdlg32, ole32, oleacc and oleaut32 are bound when first needed
# (toolkit/SystemCalls.h).
set(KESTROVA_SYSTEM_LIBS user32 gdi32 comctl32)

add_library(kestrova_toolkit STATIC
  toolkit/Announce.cpp
  toolkit/Application.cpp
  toolkit/Controls.cpp
  toolkit/Dpi.cpp
  toolkit/Error.cpp
  toolkit/FileWrite.cpp
  toolkit/Font.cpp
  toolkit/FolderWatch.cpp
  toolkit/Form.cpp
  toolkit/IniFile.cpp
  toolkit/Label.cpp
  toolkit/Layout.cpp
  toolkit/ListBox.cpp
  toolkit/OpenDialog.cpp
  toolkit/Paths.cpp
  toolkit/SaveDialog.cpp
  toolkit/System.cpp
  toolkit/SystemCalls.cpp
  toolkit/Text.cpp
  toolkit/Window.cpp
)
target_link_libraries(kestrova_toolkit PUBLIC kestrova_core ${KESTROVA_SYSTEM_LIBS})

add_library(kestrova_controls STATIC
  controls/LinkAccessible.cpp
  controls/ListAccessible.cpp
  controls/ListBoxEx.cpp
  controls/StandardAccessible.cpp
  controls/URLLink.cpp
)
target_link_libraries(kestrova_controls PUBLIC kestrova_toolkit)

# Everything of the program but its entry, so in-process tests can build the real windows.
add_library(kestrova_app STATIC
  app/About.cpp
  app/batch/ErrorText.cpp
  app/ListMenu.cpp
  app/Main.cpp
  app/MainSettings.cpp
  app/ProfileDialog.cpp
  app/Program.cpp
  app/SaveResults.cpp
  app/Settings.cpp
  app/batch/AfterArchive.cpp
  app/batch/ArchiveJob.cpp
  app/batch/BatchRunner.cpp
  app/batch/ExitReasons.cpp
  app/batch/Files.cpp
  app/batch/ItemWorker.cpp
  app/batch/Process.cpp
  app/batch/Recycle.cpp
  app/desktop/Explorer.cpp
  app/desktop/MessageFilter.cpp
  app/desktop/Placement.cpp
  app/desktop/PowerRequest.cpp
  app/desktop/SecondStart.cpp
  app/desktop/Taskbar.cpp
)
target_link_libraries(kestrova_app PUBLIC kestrova_controls)

add_executable(Kestrova WIN32 app/WinMain.cpp resources/Kestrova.rc)
# The entry takes the command line in UTF-16 (wWinMain).
target_link_options(Kestrova PRIVATE -municode)
target_link_libraries(Kestrova PRIVATE kestrova_app)
set_target_properties(Kestrova PROPERTIES OUTPUT_NAME Kestrova)
# libstdc++'s default terminate handler writes the demangled type of the exception to stderr,
# which a GUI program has not got, and brings the demangler and the printf family with it
# (about 70 KB of the exe). Kestrova's std::terminate goes straight to abort instead.
target_link_options(Kestrova PRIVATE -Wl,--defsym=_ZN9__gnu_cxx27__verbose_terminate_handlerEv=abort)

add_subdirectory(tools)
add_subdirectory(tests/win)
add_subdirectory(tests/e2e)
add_subdirectory(bench)

# The program must start on a bare Windows 7 SP1 or later: system DLLs only (no runtime DLL of
# the compiler), and of them only functions that Windows 7 SP1 has.
find_program(KESTROVA_OBJDUMP NAMES ${triple}-objdump x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME exe_imports_windows7_system_functions_only
         COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:Kestrova> -DOBJDUMP=${KESTROVA_OBJDUMP}
                 -P ${CMAKE_SOURCE_DIR}/cmake/check-imports.cmake)
set_tests_properties(exe_imports_windows7_system_functions_only PROPERTIES LABELS win)

# ASLR with high entropy and DEP: a test reads the PE header.
add_test(NAME exe_is_hardened
         COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:Kestrova> -DOBJDUMP=${KESTROVA_OBJDUMP}
                 -P ${CMAKE_SOURCE_DIR}/cmake/check-pe.cmake)
set_tests_properties(exe_is_hardened PROPERTIES LABELS win)

# A portable ZIP: cmake --build --preset win --target package
install(TARGETS Kestrova RUNTIME DESTINATION .)
# The Japanese guide as a text file that Notepad shows right on any Windows.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/README-ja.txt
  COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/docs/ja/README.md
          -DOUT=${CMAKE_BINARY_DIR}/README-ja.txt -P ${CMAKE_SOURCE_DIR}/cmake/windows-text.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/ja/README.md ${CMAKE_SOURCE_DIR}/cmake/windows-text.cmake)
add_custom_target(guide_text ALL DEPENDS ${CMAKE_BINARY_DIR}/README-ja.txt)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
              ${CMAKE_BINARY_DIR}/README-ja.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Kestrova)
set(CPACK_PACKAGE_VERSION ${KESTROVA_VERSION})
set(CPACK_PACKAGE_FILE_NAME Kestrova-${KESTROVA_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
