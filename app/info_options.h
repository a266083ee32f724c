#ifndef APP_INFO_OPTIONS_H_
#define APP_INFO_OPTIONS_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace app {

// "--help" or "--version" as the only argument: prints the usage or the
// version line to `out` and returns the exit code (0). Any other argument
// list returns nothing and goes to the program unchanged. Touches no file.
std::optional<int> HandleInfoOption(const std::vector<std::string>& args,
                                    const std::string& program_path,
                                    std::ostream& out);

}  // namespace app

#endif  // APP_INFO_OPTIONS_H_
