#include "tests/support/test_support.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace test_support {

namespace fs = std::filesystem;

std::string Sample(const std::string& relative) {
  return std::string(CORVANE_TEST_DATA_DIR) + "/" + relative;
}

void CopySample(const std::string& relative, const std::string& to) {
  fs::copy_file(Sample(relative), to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  if (fs::path(path).has_parent_path()) {
    fs::create_directories(fs::path(path).parent_path());
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Portable stand-in for mkdtemp: a random name, made until one is new.
TempDir::TempDir() {
  std::random_device device;
  std::mt19937_64 random(
      device() ^
      static_cast<uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const fs::path dir =
        fs::temp_directory_path() /
        ("corvane-test-" + std::to_string(random() % 1000000000));
    if (fs::create_directory(dir)) path_ = dir.generic_string();
  }
  if (path_.empty()) throw std::runtime_error("no temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

base::RuntimeError CaughtError(const std::function<void()>& f) {
  try {
    f();
  } catch (const base::RuntimeError& e) {
    return e;
  }
  return base::RuntimeError(0, "", "");
}

int ErrorOf(const std::function<void()>& f) { return CaughtError(f).number(); }

std::string Hex(std::span<const uint8_t> bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

}  // namespace test_support

namespace base {

void PrintTo(const Value& value, std::ostream* out) {
  if (value.IsNull()) {
    *out << "Null";
  } else if (value.IsEmpty()) {
    *out << "Empty";
  } else if (value.type() == ValueType::kText) {
    *out << '"' << value.AsText() << '"';
  } else {
    *out << value.ToText() << " (type " << static_cast<int>(value.type())
         << ")";
  }
}

}  // namespace base
