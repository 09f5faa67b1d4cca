// Stands in for the platform's password libraries in the tests. Every call is
// written as one line to the file named by VANTOR_TEST_PASSWORD_LOG; the
// answers of successive checks come from VANTOR_TEST_PASSWORD_ANSWERS
// ("0,1": refuse the first, allow the second), 0 once the list is used up.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int logCall(const std::string &line) {
  const char *path = std::getenv("VANTOR_TEST_PASSWORD_LOG");
  if (!path) return 0;
  int previous = 0;
  if (FILE *in = std::fopen(path, "r")) {
    for (int c; (c = std::fgetc(in)) != EOF;) previous += c == '\n';
    std::fclose(in);
  }
  if (FILE *out = std::fopen(path, "a")) {
    std::fprintf(out, "%s\n", line.c_str());
    std::fclose(out);
  }
  return previous;
}

[[maybe_unused]] int answer(int call) {
  const char *answers = std::getenv("VANTOR_TEST_PASSWORD_ANSWERS");
  if (!answers) return 0;
  std::string list = answers;
  size_t at = 0;
  for (int i = 0; i < call; ++i) {
    at = list.find(',', at);
    if (at == std::string::npos) return 0;
    ++at;
  }
  return std::atoi(list.c_str() + at);
}

}  // namespace

#ifdef VANTOR_TEST_VERIFY
extern "C" int VerifyScreenSavePwd(intptr_t window) {
  const int call = logCall("verify " + std::to_string(window));
  return answer(call);
}
#endif

#ifdef VANTOR_TEST_CHANGE
extern "C" uint32_t PwdChangePasswordA(const char *provider, intptr_t window, uint32_t reserved1,
                                       void *reserved2) {
  logCall(std::string("change ") + provider + " " + std::to_string(window) + " " +
          std::to_string(reserved1) + " " + (reserved2 ? "ptr" : "null"));
  return 0;
}
#endif
