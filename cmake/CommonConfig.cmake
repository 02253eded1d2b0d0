# Settings every target of the project shares: language level, warnings and Qt string hygiene.
add_library(arkivoda_common INTERFACE)
target_compile_features(arkivoda_common INTERFACE cxx_std_20)
target_compile_options(arkivoda_common INTERFACE -Wall -Wextra -pedantic)
target_compile_definitions(arkivoda_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_USE_QSTRINGBUILDER
  ARKIVODA_VERSION="${PROJECT_VERSION}"
  ARKIVODA_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  ARKIVODA_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  ARKIVODA_VERSION_PATCH=${PROJECT_VERSION_PATCH}
  ARKIVODA_VERSION_TWEAK=${PROJECT_VERSION_TWEAK})
target_include_directories(arkivoda_common INTERFACE ${PROJECT_SOURCE_DIR}/src)
