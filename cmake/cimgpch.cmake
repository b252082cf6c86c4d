# One precompiled header (CImg, and the Qt headers nearly every unit includes) for the whole build.
#
# CImg.h is very large: parsing it costs several seconds per translation unit. A
# precompiled copy (over 100 MB) takes longer to build than one parse and saves well under
# half a parse per use, so it pays off only when many units share it: the core library
# builds it once and every other target that compiles CImg reuses that copy.
# Reuse needs the same compiler flags everywhere, and they are: warnings, optimisation,
# sanitizer and fuzzer options are global, the core library's definitions are PUBLIC, and
# the other targets add only Qt module definitions that CImg never looks at. Should that
# ever change, GCC warns (-Winvalid-pch) instead of using the copy.
#
# Loading the header still costs a few seconds, so a translation unit that never sees CImg
# is better off without it. AUTOMOC's mocs_compilation.cpp is such a unit wherever the
# sources include their moc output themselves, as the tests do: pass NO_MOC_PCH then.

# quendra_cimg_pch(<target> [NO_MOC_PCH]): <target> compiles with the core library's
# precompiled header.
function(quendra_cimg_pch target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "NO_MOC_PCH" "" "")
  target_precompile_headers(${target} REUSE_FROM quendra_ops)
  if(arg_NO_MOC_PCH)
    quendra_skip_moc_pch(${target})
  endif()
endfunction()

# The target's AUTOMOC compilation unit is compiled without the precompiled header. Call
# from the folder that makes the target.
function(quendra_skip_moc_pch target)
  get_target_property(autogen_dir ${target} AUTOGEN_BUILD_DIR)
  if(NOT autogen_dir)
    set(autogen_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen)
  endif()
  set_source_files_properties(${autogen_dir}/mocs_compilation.cpp PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
endfunction()
