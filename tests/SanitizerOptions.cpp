// An allocation that cannot be had is a null answer under the address sanitizer as in the
// release build: tests ask for pixels and buffers no address space holds. What the desktop's
// system libraries keep for the life of the process (as they do where DISPLAY names a live
// server) is not a leak of the tests: the leak checker takes the suppressions the end-to-end
// scripts give the programs they start, from the same file.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
extern "C" const char* __lsan_default_options() { return "suppressions=\"" KOSTREL_LSAN_SUPPRESSIONS "\""; }
#endif
#endif
