#ifndef TESTS_SUPPORT_PLANT_H_
#define TESTS_SUPPORT_PLANT_H_

#include <optional>
#include <string>
#include <vector>

namespace test_support {

// The sample plant of examples/plant copied into `base`: base/parameter,
// base/Corvane (the component folder, where the program lives) and
// base/backup (the save-and-restore folder). SaveAndRestore in
// hx3configuration.ini is pointed at the copied backup folder.
void CopySamplePlant(const std::string& base);

// A value of an INI file as the profile functions read it; absent when the
// file, section or key is missing.
std::optional<std::string> IniValue(const std::string& file,
                                    const std::string& section,
                                    const std::string& key);
void SetIniValue(const std::string& file, const std::string& section,
                 const std::string& key, const std::string& value);

// A text file's lines (CR LF or LF ends, Windows-1252 read as such); empty
// when the file is missing.
std::vector<std::string> FileLines(const std::string& path);

bool Exists(const std::string& path);

}  // namespace test_support

#endif  // TESTS_SUPPORT_PLANT_H_
