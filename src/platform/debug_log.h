#pragma once
// The program's debug log: one line on standard error for each call when the
// environment has VANTOR_DEBUG=1 at the first call, nothing otherwise. It is
// where the program says what it skipped or gave up on without telling the
// user (a picture that cannot be read, a track that cannot play, a step of
// the show that failed), so that a user who asks can find out why.
// Safe to call from any thread; lines never mix.

#include <string>
#include <string_view>

namespace vantor {

// Whether lines are written. The variable is read once, at the first call.
bool debugLogEnabled();
// Turns the log on or off whatever the environment says; for tests.
void setDebugLogEnabled(bool on);

// Writes "vantor-saver: " + line + "\n".
void debugLog(std::string_view line);
// The same, only the first time for each `key` in the life of the process:
// for what the show comes back to again and again, such as a picture.
void debugLogOnce(std::string_view key, std::string_view line);

// Inside a catch block: what the exception being handled says ("unknown
// error" when it is no std::exception).
std::string currentExceptionText();

}  // namespace vantor
