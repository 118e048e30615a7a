// An allocation that cannot be had is a null answer under the address sanitizer as in the
// release build: tests ask for pixels and buffers no address space holds.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif
#endif
