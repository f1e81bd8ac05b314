// The program's one exception type.
//
// Every failure the program detects travels as an Error up to the top (the window's error
// box or the renderer's message line). An Error carries the text shown to the user and a
// fatal flag; creating a fatal one sets Fatal_Error, which the top level reads after the
// message has been shown and which is never cleared.
#pragma once

#include <exception>
#include <string>

namespace pw {

// Set by the creation of any fatal Error; never cleared during a run.
inline bool Fatal_Error = false;

class Error : public std::exception {
 public:
  // Creates the error; a fatal one sets Fatal_Error at once.
  explicit Error(std::string message, bool fatal = false);

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  bool Fatal() const noexcept { return fatal_; }

 private:
  std::string message_;
  bool fatal_;
};

// The run-time errors of the arithmetic and of over-long texts; never fatal.
inline constexpr const char* Range_Check_Message = "Range check error";
inline constexpr const char* Integer_Overflow_Message = "Integer overflow";

}  // namespace pw
