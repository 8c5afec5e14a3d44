# Writes the release's version where the sources and the packaging read it:
#   generated/korimo_version.h   for C++ and the resource scripts
#   korimo-version.env           for tools/package.sh (shell variables)
set(KORIMO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${KORIMO_GENERATED_DIR}/korimo_version.h CONTENT [[
#pragma once
// Written by the build from the project's version; do not edit.
#define KORIMO_PRODUCT_NAME "Vantrel Korimo"
#define KORIMO_VERSION_TEXT "@KORIMO_VERSION_TEXT@"
#define KORIMO_VERSION_STRING "@PROJECT_VERSION_MAJOR@.@PROJECT_VERSION_MINOR@.@PROJECT_VERSION_PATCH@.0"
#define KORIMO_VERSION_NUMBERS @PROJECT_VERSION_MAJOR@, @PROJECT_VERSION_MINOR@, @PROJECT_VERSION_PATCH@, 0
]] @ONLY)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/korimo-version.env CONTENT [[
KORIMO_VERSION='@PROJECT_VERSION@'
KORIMO_VERSION_TEXT='@KORIMO_VERSION_TEXT@'
]] @ONLY)
target_include_directories(korimo_options INTERFACE ${KORIMO_GENERATED_DIR})
