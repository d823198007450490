# The plan is a recurrence over up to a million metres, and its file must be
# the same bytes on every host, so every operation on doubles must round once,
# to binary64, in the order the source writes it:
# - no contraction of a * b + c into one fused multiply-add (aarch64, s390x
#   and x86 with FMA would do it) and no fast-math reassociation;
# - 32-bit x86 computes in SSE2 registers: the x87 stack keeps 64-bit
#   mantissas and rounds only when a value is stored. With SSE2 math there is
#   no excess precision left for -fexcess-precision=standard to remove (and
#   g++ 12 does not implement it for C++).
# These come after CMAKE_CXX_FLAGS, so they also undo an -Ofast or -ffast-math
# given there. line/compilatore_linea.cc refuses to compile where doubles are
# evaluated wider or fast-math is on.
include(CheckCXXSourceCompiles)

add_compile_options(-ffp-contract=off -fno-fast-math)

# The compiler's own view of the target: a native 32-bit host, -m32 or a
# cross toolchain (Linux or MinGW) alike.
check_cxx_source_compiles([[
#if !defined(__i386__) && !defined(_M_IX86)
#error not 32-bit x86
#endif
int main() { return 0; }
]] VALMORA_X86_32)
if(VALMORA_X86_32)
  add_compile_options(-msse2 -mfpmath=sse)
endif()
