# Build flags of a Debian package build: the hardening that dpkg-buildflags
# gives with DEB_BUILD_MAINT_OPTIONS=hardening=+all (stack protector, format
# checks, fortified libc calls, read-only relocations bound at start-up).
#
# Taken from dpkg-buildflags at configure time, so they follow what this
# Debian release uses (and DEB_*FLAGS_* overrides in the environment); where
# the program is missing nothing is added. Left out: -g and -O<n> (the build
# type decides those) and the -f*-prefix-map flags (they rewrite paths by the
# directory cmake happens to run in).
#
# _FORTIFY_SOURCE works only when the compiler optimises (glibc warns
# otherwise, which -Werror would make an error), so it goes with the build
# types that optimise only. A sanitizer build (ADHAN_SANITIZE, or sanitizer
# flags given in CMAKE_CXX_FLAGS as fuzz/run.sh does) gets none of this by
# default: the sanitizers do those checks themselves, and fortified calls
# would go round some of theirs.
if(ADHAN_SANITIZE OR CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  set(adhan_debian_flags_default OFF)
else()
  set(adhan_debian_flags_default ON)
endif()
option(ADHAN_DEBIAN_FLAGS "Add the hardening flags of a Debian package build (dpkg-buildflags)"
       ${adhan_debian_flags_default})

find_program(ADHAN_DPKG_BUILDFLAGS dpkg-buildflags)
if(ADHAN_DEBIAN_FLAGS AND ADHAN_DPKG_BUILDFLAGS)
  # adhan_buildflags(VAR KIND): the flags of KIND (CPPFLAGS, CXXFLAGS, LDFLAGS) as a list.
  function(adhan_buildflags var kind)
    execute_process(
      COMMAND "${CMAKE_COMMAND}" -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              "${ADHAN_DPKG_BUILDFLAGS}" --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed (${status})")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g.*|O.*|f(file|debug|macro)-prefix-map=.*)$")
    set(${var} "${flags}" PARENT_SCOPE)
  endfunction()

  adhan_buildflags(adhan_cppflags CPPFLAGS)
  adhan_buildflags(adhan_cxxflags CXXFLAGS)
  adhan_buildflags(adhan_ldflags LDFLAGS)
  set(adhan_fortify "${adhan_cppflags}")
  list(FILTER adhan_fortify INCLUDE REGEX "^-[DU]_FORTIFY_SOURCE")
  list(FILTER adhan_cppflags EXCLUDE REGEX "^-[DU]_FORTIFY_SOURCE")

  list(JOIN adhan_fortify " " adhan_fortify)
  list(JOIN adhan_cppflags " " adhan_cppflags)
  list(JOIN adhan_cxxflags " " adhan_cxxflags)
  list(JOIN adhan_ldflags " " adhan_ldflags)
  string(STRIP "${CMAKE_CXX_FLAGS} ${adhan_cppflags} ${adhan_cxxflags}" CMAKE_CXX_FLAGS)
  foreach(config RELEASE RELWITHDEBINFO MINSIZEREL)
    string(STRIP "${CMAKE_CXX_FLAGS_${config}} ${adhan_fortify}" CMAKE_CXX_FLAGS_${config})
  endforeach()
  string(STRIP "${CMAKE_EXE_LINKER_FLAGS} ${adhan_ldflags}" CMAKE_EXE_LINKER_FLAGS)
  string(STRIP "${CMAKE_SHARED_LINKER_FLAGS} ${adhan_ldflags}" CMAKE_SHARED_LINKER_FLAGS)
  message(STATUS "Debian build flags: ${adhan_cppflags} ${adhan_cxxflags} "
                 "[optimised builds: ${adhan_fortify}] link: ${adhan_ldflags}")
endif()
