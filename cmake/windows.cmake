# The Windows program, its test tools and the tests that run through Wine.
enable_language(RC)

# Static runtime: Kestrova.exe needs nothing but system DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0A00 WINVER=0x0A00)

set(KESTROVA_SYSTEM_LIBS user32 gdi32 shell32 comctl32 comdlg32 shlwapi)

add_library(kestrova_toolkit STATIC
  toolkit/Application.cpp
  toolkit/Controls.cpp
  toolkit/Form.cpp
  toolkit/IniFile.cpp
  toolkit/ListBox.cpp
  toolkit/OpenDialog.cpp
)
target_link_libraries(kestrova_toolkit PUBLIC kestrova_core ${KESTROVA_SYSTEM_LIBS})

add_library(kestrova_controls STATIC
  controls/ListBoxEx.cpp
)
target_link_libraries(kestrova_controls PUBLIC kestrova_toolkit)

# Everything of the program but its entry, so in-process tests can build the real windows.
add_library(kestrova_app STATIC
  app/ItemKind.cpp
  app/Main.cpp
  app/About.cpp
)
target_link_libraries(kestrova_app PUBLIC kestrova_controls)

add_executable(Kestrova WIN32 app/WinMain.cpp resources/Kestrova.rc)
target_link_libraries(Kestrova PRIVATE kestrova_app)
set_target_properties(Kestrova PROPERTIES OUTPUT_NAME Kestrova)

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/CMakeLists.txt)
  add_subdirectory(tools)
endif()
add_subdirectory(tests/win)
add_subdirectory(tests/e2e)
