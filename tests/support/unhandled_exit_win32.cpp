// Linked into every Windows test program: an exception that no code handles, on any thread,
// ends the process at once with the exception's code. Wine's default answer is to start its
// debugger, which prints a backtrace and may leave the process to end with exit code 0, so a
// crash on a worker thread (a scan or save thread of the engine) read as a passing test.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  std::fprintf(stderr, "unhandled exception 0x%08lx at %p on thread %lu: the test program ends\n",
               static_cast<unsigned long>(record->ExceptionCode), record->ExceptionAddress,
               static_cast<unsigned long>(GetCurrentThreadId()));
  std::fflush(stderr);
  // The exit code is abort()'s: Wine hands the host only the low byte of a process's exit
  // code, and an exception code may end in a zero byte.
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

const bool installed = [] {
  SetUnhandledExceptionFilter(EndOnUnhandledException);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  return true;
}();

}  // namespace
