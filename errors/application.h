#ifndef ERRORS_APPLICATION_H_
#define ERRORS_APPLICATION_H_

namespace errors {

// The application's title: the title of message boxes that name none, and
// the source of the failures the program raises itself.
inline constexpr char kApplicationTitle[] = "Corvane_Config_Exe";

}  // namespace errors

#endif  // ERRORS_APPLICATION_H_
