# What a Windows program of ours needs beside it to start: the Qt libraries,
# the Windows platform and style plugins in their folders, and the compiler's
# own run-time libraries. Copied into the folder the programs are built into,
# so that build-windows/bin runs as it is (and the installer takes it whole).
set(adhan_mingw_runtime)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}")
    find_file(path_${dll} ${dll} PATHS /usr/${ADHAN_MINGW_TRIPLE}/lib NO_CMAKE_FIND_ROOT_PATH)
    set(path "${path_${dll}}")
  endif()
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${dll} not found: is g++-mingw-w64-x86-64-posix installed?")
  endif()
  list(APPEND adhan_mingw_runtime "${path}")
endforeach()

# Qt's own words in Arabic (message boxes' buttons, context menus), from
# Debian's qt6-translations-l10n: the .qm files are the same on every platform.
find_file(ADHAN_QT_ARABIC qtbase_ar.qm PATHS /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

# adhan_deploy_beside(TARGET): TARGET's folder gets the run-time files before
# TARGET is linked.
function(adhan_deploy_beside target)
  if(NOT TARGET adhan_windows_runtime)
    set(bin "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
    set(copies
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${bin}/platforms" "${bin}/styles"
        "${bin}/translations"
      COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${ADHAN_QT_ARABIC}" "${bin}/translations"
      COMMAND "${CMAKE_COMMAND}" -E copy_if_different ${adhan_mingw_runtime}
        $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        $<TARGET_FILE:Qt6::Network> $<TARGET_FILE:Qt6::Test> "${bin}"
      COMMAND "${CMAKE_COMMAND}" -E copy_if_different
        $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> "${bin}/platforms")
    if(TARGET Qt6::QWindowsVistaStylePlugin)
      list(APPEND copies COMMAND "${CMAKE_COMMAND}" -E copy_if_different
        $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> "${bin}/styles")
    endif()
    add_custom_target(adhan_windows_runtime ${copies} VERBATIM)
    # Installed, the program's folder holds the same, less what only tests use.
    install(FILES ${adhan_mingw_runtime} $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui>
      $<TARGET_FILE:Qt6::Widgets> $<TARGET_FILE:Qt6::Network>
      "${CMAKE_SOURCE_DIR}/resources/athan.mp3" DESTINATION .)
    install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
    install(FILES "${ADHAN_QT_ARABIC}" DESTINATION translations)
    if(TARGET Qt6::QWindowsVistaStylePlugin)
      install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
    endif()
  endif()
  add_dependencies(${target} adhan_windows_runtime)
endfunction()
