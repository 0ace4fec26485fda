// Whatever ends the checks leaves doctest's report of the case and subcase: a fatal exception goes
// to it at once, before unwinding a smashed stack or heap turns into an endless storm of faults
// (one more ends the process); so does a run still going after 120 s, before CTest kills it mute.
// And each case and subcase names itself as it begins, so that a run that cannot report any more
// (a hang that stops every thread, a kill from outside) has said where it was.
#include <windows.h>

#include <doctest.h>

#include <cstdio>
#include <cstdlib>

namespace {

LONG CALLBACK OnException(EXCEPTION_POINTERS* exception) {
  if (exception->ExceptionRecord->ExceptionCode >> 28 != 0xC) return EXCEPTION_CONTINUE_SEARCH;
  const auto report = SetUnhandledExceptionFilter(nullptr);  // doctest's in a test case, once
  if (report != nullptr) {
    std::atexit([] { TerminateProcess(GetCurrentProcess(), 3); });  // before any destructor
    report(exception);                                              // which then exits
  }
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI Watch(void*) {
  Sleep(120000);
  std::fputs("checks: still running after 120 s\n", stdout);  // unbuffered
  EXCEPTION_RECORD timeout = {0xC0000000 | ERROR_TIMEOUT};
  EXCEPTION_POINTERS pointers = {&timeout, nullptr};
  return OnException(&pointers);
}

const bool g_watching = [] {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // nothing reported is lost with the process
  AddVectoredExceptionHandler(1, OnException);
  CloseHandle(CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr));
  return true;
}();

struct Announcer : doctest::IReporter {
  explicit Announcer(const doctest::ContextOptions&) {}
  void test_case_start(const doctest::TestCaseData& data) override {
    std::printf("checks: case \"%s\"\n", data.m_name);
  }
  void subcase_start(const doctest::SubcaseSignature& subcase) override {
    std::printf("checks:   subcase \"%s\"\n", subcase.m_name.c_str());
  }
  void report_query(const doctest::QueryData&) override {}
  void test_run_start() override {}
  void test_run_end(const doctest::TestRunStats&) override {}
  void test_case_reenter(const doctest::TestCaseData&) override {}
  void test_case_end(const doctest::CurrentTestCaseStats&) override {}
  void test_case_exception(const doctest::TestCaseException&) override {}
  void subcase_end() override {}
  void log_assert(const doctest::AssertData&) override {}
  void log_message(const doctest::MessageData&) override {}
  void test_case_skipped(const doctest::TestCaseData&) override {}
};
REGISTER_LISTENER("announcer", 1, Announcer);

}  // namespace
