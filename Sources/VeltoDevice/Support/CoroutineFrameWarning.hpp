#pragma once

// g++ 12 reports -Wmismatched-new-delete at the end of some coroutines in optimised builds: it sees
// the frame allocated by Asio's awaitable_frame_base::operator new (its recycling allocator, with
// aligned_alloc underneath) and released by that same class's operator delete, and takes the pair
// for a mismatch. They match (the delete hands the block back to the same allocator), so the
// warning is wrong there; g++ 13 no longer reports it. Put these two around just the coroutines it
// names, so the warning keeps its use everywhere else.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ < 13
#define VELTO_COROUTINE_FRAMES_BEGIN                                                                         \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wmismatched-new-delete\"")
#define VELTO_COROUTINE_FRAMES_END _Pragma("GCC diagnostic pop")
#else
#define VELTO_COROUTINE_FRAMES_BEGIN
#define VELTO_COROUTINE_FRAMES_END
#endif
