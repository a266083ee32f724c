#ifndef ERRORS_ERROR_HANDLER_H_
#define ERRORS_ERROR_HANDLER_H_

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "base/runtime_error.h"
#include "errors/run_state.h"

namespace errors {

// Exit codes of the program (documented in the README).
inline constexpr int kExitFinished = 0;  // the run went through
inline constexpr int kExitEnded = 1;  // ended by a failure or the user's answer
inline constexpr int kExitCancelled = 2;  // cancel or close confirmed
inline constexpr int kExitUnhandled = 3;  // a failure escaped every handler
// The run went through after reporting failures (see the error log).
inline constexpr int kExitFinishedWithFailures = 4;

// Thrown by EndProgram: ends the run at once. No handler catches it; main
// turns it into the exit code.
struct EndOfRun {
  int exit_code;
};

// A failure of the C++ library as the runtime error a user sees: a read
// outside a container is 9 "Subscript out of range", memory 7, arithmetic
// range 6, a bad argument 5, a system or file-system error its number by
// kind (53, 76, 70, 57, 75), anything else 51 "Internal error". The library's
// own text never reaches a report.
base::RuntimeError TranslateFailure(const std::exception& failure,
                                    const std::string& source);

// Ends the program at once (no further statement of any procedure runs).
[[noreturn]] void EndProgram(int exit_code = kExitEnded);

// Asks the run's report environment one of its questions; a question that
// was not supplied fails with 91.
std::string AskEnvironment(RunState& run,
                           std::string (*question)(RunState& run));

// The common routine every handler calls: writes the error log, asks the
// user (or writes the fault log in a silent start) and returns 1 (end), 2
// (resume) or 0 (neither answer; resume).
int ErrorSub(RunState& run, int32_t number, const std::string& source,
             const std::string& description, const std::string& procedure,
             bool fatal);

// The per-procedure handler: created as a procedure's first statement with
// the procedure's name. Each step that can fail on its own goes through it;
// a failure is reported through ErrorSub under that name, then the program
// ends (answer 1) or the procedure goes on with its next step.
//
// A failure inside ErrorSub itself (an error log that cannot be written)
// leaves this handler and reaches the caller's handler, as the classic
// runtime passes it to the next handler up that is not running.
class ErrorHandler {
 public:
  // `procedure_name` is a literal: a handler is made for every procedure
  // call, so the name becomes a string only when a failure is reported.
  ErrorHandler(RunState& run, const char* procedure_name)
      : run_(run), procedure_name_(procedure_name) {}

  // Runs one step. Returns false when it failed (and the run resumes).
  // Inline: every statement of every procedure goes through here, and only
  // a failure needs the out-of-line part.
  template <typename F>
  bool Run(F&& step) {
    try {
      step();
      return true;
    } catch (const std::exception& e) {
      Failed(e);
      return false;
    }
  }

  // Evaluates the condition of an `if`; a failing evaluation counts as true,
  // so the branch it guards runs.
  template <typename F>
  bool Test(F&& condition) {
    bool result = true;
    Run([&] { result = condition(); });
    return result;
  }

  // Assigns the value of `expression` to `target`; on a failure `target`
  // keeps what it had.
  template <typename T, typename F>
  bool Assign(T& target, F&& expression) {
    return Run([&] { target = expression(); });
  }

  // Reports a failure caught elsewhere (a procedure with a second handler
  // label); ends the program on answer 1.
  void Report(int32_t number, const std::string& source,
              const std::string& description, bool fatal = false);

  const char* procedure_name() const { return procedure_name_; }

 private:
  // A step's failure: translated, then reported under this procedure (or,
  // while a report is being made, passed on to the caller's handler).
  [[gnu::cold]] void Failed(const std::exception& failure);

  RunState& run_;
  const char* procedure_name_;
};

// The logs. Neither has a handler: a file that cannot be opened throws.
// WriteErrorLog returns the notice "Error logged to " LF CR PATH, or "" when
// `to_fault_log` is true (the notice then goes to ShowFault).
std::string WriteErrorLog(RunState& run, const std::string& text,
                          bool to_fault_log);
void ShowFault(RunState& run, const std::string& text);
void WriteFaultLog(RunState& run, const std::string& text);

}  // namespace errors

#endif  // ERRORS_ERROR_HANDLER_H_
