// SSE2 helpers shared by the block scans and the index summary, for four records at a time.
// VK_SSE2 is 1 where the compiler can target SSE2 (x86); sse2Available() says whether the
// processor has it (always on x86-64, checked once on 32-bit x86).
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VK_SSE2 1
#include <emmintrin.h>

#include <cstdint>

#include "common/record_layout.h"
#define VK_SSE2_TARGET __attribute__((target("sse2")))

inline bool sse2Available() {
#if defined(__x86_64__)
  return true;
#else
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2") != 0;
  }();
  return available;
#endif
}

// Longwords 0, 1 and 2 of four consecutive records, one record a lane.
struct FourRecords {
  __m128i lw0, lw1, lw2;
};

VK_SSE2_TARGET inline FourRecords loadFourRecords(const unsigned char* r) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + 16));
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + 32));
  const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + 48));
  const __m128i ab01 = _mm_unpacklo_epi32(a, b), cd01 = _mm_unpacklo_epi32(c, d);
  const __m128i ab23 = _mm_unpackhi_epi32(a, b), cd23 = _mm_unpackhi_epi32(c, d);
  return FourRecords{_mm_unpacklo_epi64(ab01, cd01), _mm_unpackhi_epi64(ab01, cd01), _mm_unpacklo_epi64(ab23, cd23)};
}

// Longword 1 to half microseconds within the second: milliseconds x 2000 + halfMicros (below 2^22),
// one multiply-add of the longword's two 16-bit halves.
static_assert(tagfield::kMilliseconds.shift == 16 && tagfield::kHalfMicros.shift == 0, "one field a half");
VK_SSE2_TARGET inline __m128i withinSecond(__m128i lw1) {
  const int32_t fields = static_cast<int32_t>(fieldPlace(tagfield::kMilliseconds) | fieldPlace(tagfield::kHalfMicros));
  const int32_t factors = static_cast<int32_t>((kHalfMicrosPerMillisecond << 16) | 1u);
  return _mm_madd_epi16(_mm_and_si128(lw1, _mm_set1_epi32(fields)), _mm_set1_epi32(factors));
}

VK_SSE2_TARGET inline uint32_t lane3(__m128i v) {
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(v, 12)));
}

// Whether all four records have this longword 0 (lie in the same second as the one it names).
VK_SSE2_TARGET inline bool allInSecond(const FourRecords& four, __m128i second) {
  return _mm_movemask_epi8(_mm_cmpeq_epi32(four.lw0, second)) == 0xFFFF;
}
#else
#define VK_SSE2 0
#endif
