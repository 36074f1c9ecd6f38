// Linked into every program of a sanitizer build (VESTRANE_SANITIZE), so that the tests,
// the program and an instance the session bus starts all run with the same options,
// whatever the environment holds. ASAN_OPTIONS, UBSAN_OPTIONS and LSAN_OPTIONS given in
// the environment still override these.
//
// Leak detection stays on and nothing is suppressed: the suite leaks nothing offscreen,
// nor do the window tests on an X server, Qt and fontconfig included. Should a library
// of the system ever leak, name it in a __lsan_default_suppressions() here, as narrowly
// as one of its own frames, and say why.

extern "C" {

const char *__asan_default_options()
{
    return "halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1:"
           "strict_init_order=1:check_initialization_order=1";
}

const char *__ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

} // extern "C"
