# One interface target carries the compile settings that every target of the
# project shares; targets link it instead of setting flags globally.
add_library(sokuri_compile_settings INTERFACE)

target_compile_features(sokuri_compile_settings INTERFACE cxx_std_20)
target_compile_options(sokuri_compile_settings INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(sokuri_compile_settings INTERFACE
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_USE_QSTRINGBUILDER)

if(SOKURI_WERROR)
  target_compile_options(sokuri_compile_settings INTERFACE -Werror)
endif()

if(SOKURI_SANITIZE)
  set(_sokuri_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined
                         -fno-omit-frame-pointer)
  target_compile_options(sokuri_compile_settings INTERFACE ${_sokuri_sanitizers})
  target_link_options(sokuri_compile_settings INTERFACE ${_sokuri_sanitizers})
endif()
