#pragma once

// TARSEL_HAS_ASAN is 1 in a build with AddressSanitizer (GCC says so with
// __SANITIZE_ADDRESS__, clang with __has_feature), 0 otherwise: tests that limit the address
// space, or that time long exports, skip themselves there.
#if defined(__SANITIZE_ADDRESS__)
#define TARSEL_HAS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARSEL_HAS_ASAN 1
#endif
#endif
#ifndef TARSEL_HAS_ASAN
#define TARSEL_HAS_ASAN 0
#endif
