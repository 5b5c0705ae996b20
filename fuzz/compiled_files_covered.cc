// The compiled-file coders once more, for the compiled-file fuzzer alone,
// with the coverage instrumentation that the library's copy leaves out (it
// would slow the reader's fuzzer down for nothing there).
#include "builder/compiled_files.cc"
