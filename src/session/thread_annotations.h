// Clang's thread-safety attributes; GCC ignores them, so they are no-ops there.
#pragma once

#if defined(__clang__)
#define RVS_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define RVS_THREAD_ATTRIBUTE(x)
#endif

#define RVS_CAPABILITY(x) RVS_THREAD_ATTRIBUTE(capability(x))
#define RVS_SCOPED_CAPABILITY RVS_THREAD_ATTRIBUTE(scoped_lockable)
#define RVS_GUARDED_BY(x) RVS_THREAD_ATTRIBUTE(guarded_by(x))
#define RVS_ACQUIRE(...) RVS_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RVS_RELEASE(...) RVS_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
#define RVS_TRY_ACQUIRE(...) RVS_THREAD_ATTRIBUTE(try_acquire_capability(__VA_ARGS__))
#define RVS_REQUIRES(...) RVS_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define RVS_EXCLUDES(...) RVS_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
#define RVS_ACQUIRED_BEFORE(...) RVS_THREAD_ATTRIBUTE(acquired_before(__VA_ARGS__))
#define RVS_NO_THREAD_SAFETY_ANALYSIS RVS_THREAD_ATTRIBUTE(no_thread_safety_analysis)
