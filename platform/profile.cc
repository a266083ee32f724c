#include "platform/profile.h"

#include <vector>

#include "base/text.h"

namespace platform::profile {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// One line of the file: [begin, text_end) is its text, [text_end, end) its
// line break (empty on a last line without one).
struct Line {
  size_t begin = 0;
  size_t text_end = 0;
  size_t end = 0;
};

enum class Kind { kOther, kComment, kSection, kEntry };

struct ParsedLine {
  Line span;
  Kind kind = Kind::kOther;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // entry value, trimmed (quotes still on)
  bool has_equals = false;
  size_t name_begin = 0;  // where the key starts in the file
};

struct Section {
  size_t header = 0;            // index of its header line
  std::vector<size_t> entries;  // indices of its key lines
};

bool IsFileBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view TrimFileBlanks(std::string_view s) {
  while (!s.empty() && IsFileBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsFileBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Lookup arguments lose surrounding spaces only (tabs stay).
std::string TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

bool SameName(std::string_view a, std::string_view b) {
  return base::EqualsIgnoreCase(base::Cp1252ToUtf8(a), base::Cp1252ToUtf8(b));
}

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    Line line;
    line.begin = pos;
    size_t brk = content.find_first_of("\r\n", pos);
    if (brk == std::string_view::npos) {
      line.text_end = line.end = content.size();
    } else {
      line.text_end = brk;
      line.end = brk + 1;
      if (content[brk] == '\r' && brk + 1 < content.size() &&
          content[brk + 1] == '\n') {
        ++line.end;
      }
    }
    lines.push_back(line);
    pos = line.end;
  }
  return lines;
}

ParsedLine ParseLine(std::string_view content, const Line& span) {
  ParsedLine parsed;
  parsed.span = span;
  std::string_view text =
      content.substr(span.begin, span.text_end - span.begin);
  size_t first = 0;
  while (first < text.size() && IsFileBlank(text[first])) ++first;
  if (first == text.size()) return parsed;
  if (text[first] == ';') {
    parsed.kind = Kind::kComment;
  } else if (text[first] == '[') {
    // The name ends at the first ']' (or the line end); text after it is
    // ignored.
    std::string_view rest = text.substr(first + 1);
    size_t close = rest.find(']');
    parsed.kind = Kind::kSection;
    parsed.name = TrimFileBlanks(rest.substr(0, close));
  } else {
    parsed.kind = Kind::kEntry;
    parsed.name_begin = span.begin + first;
    size_t equals = text.find('=', first);
    if (equals == std::string_view::npos) {
      parsed.name = TrimFileBlanks(text.substr(first));
    } else {
      parsed.has_equals = true;
      parsed.name = TrimFileBlanks(text.substr(first, equals - first));
      parsed.value = TrimFileBlanks(text.substr(equals + 1));
    }
  }
  return parsed;
}

// The parsed file: its lines and its sections in order. Lines before the
// first section belong to none.
struct ParsedFile {
  std::vector<ParsedLine> lines;
  std::vector<Section> sections;
};

ParsedFile Parse(std::string_view content) {
  ParsedFile file;
  for (const Line& span : SplitLines(content)) {
    ParsedLine line = ParseLine(content, span);
    size_t index = file.lines.size();
    if (line.kind == Kind::kSection) {
      file.sections.push_back(Section{index, {}});
    } else if (line.kind == Kind::kEntry && !file.sections.empty()) {
      file.sections.back().entries.push_back(index);
    }
    file.lines.push_back(line);
  }
  return file;
}

// The first section of that name: later duplicates are invisible.
const Section* FindSection(const ParsedFile& file, std::string_view name) {
  for (const Section& section : file.sections) {
    if (SameName(file.lines[section.header].name, name)) return &section;
  }
  return nullptr;
}

// The first key line of that name in `section`, or -1.
long FindEntry(const ParsedFile& file, const Section& section,
               std::string_view key) {
  for (size_t index : section.entries) {
    if (SameName(file.lines[index].name, key)) return static_cast<long>(index);
  }
  return -1;
}

std::string_view WithoutOuterQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The value of section/key, quotes removed; absent when missing.
std::optional<std::string> FindValue(const std::optional<std::string>& content,
                                     std::string_view section,
                                     std::string_view key) {
  if (!content) return std::nullopt;
  ParsedFile file = Parse(*content);
  const Section* found = FindSection(file, section);
  if (found == nullptr) return std::nullopt;
  long entry = FindEntry(file, *found, key);
  if (entry < 0) return std::nullopt;
  return std::string(WithoutOuterQuotes(file.lines[entry].value));
}

// A NUL-separated list as Windows returns it: cut to fit with the last name
// shortened and the count nSize - 2 when too long.
uint32_t ReturnList(const std::vector<std::string_view>& names,
                    uint32_t buffer_size, std::string& out) {
  std::string list;
  for (std::string_view name : names) {
    list.append(name);
    list.push_back('\0');
  }
  if (list.size() + 1 <= buffer_size) {
    out = list;
    return static_cast<uint32_t>(list.size());
  }
  if (buffer_size < 2) {
    out.clear();
    return 0;
  }
  out = list.substr(0, buffer_size - 2);
  return buffer_size - 2;
}

uint32_t ReturnText(std::string_view text, uint32_t buffer_size,
                    std::string& out) {
  size_t count = std::min<size_t>(text.size(), buffer_size - 1);
  out.assign(text.substr(0, count));
  return static_cast<uint32_t>(count);
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) !=
         std::string_view::npos;
}

std::string EntryText(std::string_view key, std::string_view value) {
  std::string text(key);
  text.push_back('=');
  text.append(value);
  return text;
}

std::string WithoutLines(std::string_view content, const ParsedFile& file,
                         const std::vector<size_t>& removed) {
  std::string out;
  size_t next_removed = 0;
  for (size_t i = 0; i < file.lines.size(); ++i) {
    if (next_removed < removed.size() && removed[next_removed] == i) {
      ++next_removed;
      continue;
    }
    const Line& span = file.lines[i].span;
    out.append(content.substr(span.begin, span.end - span.begin));
  }
  return out;
}

}  // namespace

uint32_t GetString(const std::optional<std::string>& content,
                   const std::optional<std::string>& section,
                   const std::optional<std::string>& key,
                   std::string_view default_value, uint32_t buffer_size,
                   std::string& out) {
  if (buffer_size == 0) return 0;
  if (!section) {
    std::vector<std::string_view> names;
    ParsedFile file;
    if (content) file = Parse(*content);
    for (const Section& s : file.sections) {
      names.push_back(file.lines[s.header].name);
    }
    return ReturnList(names, buffer_size, out);
  }
  if (!key) {
    std::vector<std::string_view> names;
    ParsedFile file;
    if (content) file = Parse(*content);
    if (const Section* s = FindSection(file, TrimSpaces(*section))) {
      for (size_t index : s->entries) {
        if (file.lines[index].has_equals) {
          names.push_back(file.lines[index].name);
        }
      }
    }
    return ReturnList(names, buffer_size, out);
  }
  std::optional<std::string> value =
      FindValue(content, TrimSpaces(*section), TrimSpaces(*key));
  if (value) return ReturnText(*value, buffer_size, out);
  // The default loses trailing spaces (only spaces).
  while (!default_value.empty() && default_value.back() == ' ') {
    default_value.remove_suffix(1);
  }
  return ReturnText(default_value, buffer_size, out);
}

uint32_t GetInt(const std::optional<std::string>& content,
                const std::string& section, const std::string& key,
                int32_t default_value) {
  std::optional<std::string> value =
      FindValue(content, TrimSpaces(section), TrimSpaces(key));
  if (!value || value->empty()) return static_cast<uint32_t>(default_value);
  std::string_view text = *value;
  while (!text.empty() && IsFileBlank(text.front())) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  uint32_t number = 0;  // wraps modulo 2^32, as Windows does
  for (char c : text) {
    if (c < '0' || c > '9') break;
    number = number * 10u + static_cast<uint32_t>(c - '0');
  }
  return negative ? 0u - number : number;
}

WriteResult Write(const std::optional<std::string>& content,
                  const std::optional<std::string>& section,
                  const std::optional<std::string>& key,
                  const std::optional<std::string>& value) {
  if (!section) return {};
  std::string section_name = TrimSpaces(*section);
  std::optional<std::string> key_name;
  if (key) key_name = TrimSpaces(*key);
  // Names or values that would change the structure of the file when read
  // back (a line break, a ']' in a section name, a key that would read as a
  // comment, a section or another key) are refused rather than written.
  if (HasLineBreakOrNul(section_name) ||
      section_name.find(']') != std::string::npos) {
    return {};
  }
  if (key_name &&
      (key_name->empty() || HasLineBreakOrNul(*key_name) ||
       key_name->find('=') != std::string::npos || key_name->front() == ';' ||
       key_name->front() == '[' || IsFileBlank(key_name->front()) ||
       IsFileBlank(key_name->back()))) {
    return {};
  }
  if (value && HasLineBreakOrNul(*value)) return {};

  std::string new_section_text = "[" + section_name + "]" + std::string(kCrLf);
  if (!content) {
    if (!key_name || !value) return {true, std::nullopt};
    return {true, new_section_text + EntryText(*key_name, *value) +
                      std::string(kCrLf)};
  }

  const std::string& bytes = *content;
  ParsedFile file = Parse(bytes);
  const Section* found = FindSection(file, section_name);

  if (!key_name) {  // delete the section; comments inside it stay
    if (found == nullptr) return {true, std::nullopt};
    std::vector<size_t> removed{found->header};
    removed.insert(removed.end(), found->entries.begin(), found->entries.end());
    return {true, WithoutLines(bytes, file, removed)};
  }

  long entry = found == nullptr ? -1 : FindEntry(file, *found, *key_name);
  if (!value) {  // delete the key
    if (entry < 0) return {true, std::nullopt};
    return {true, WithoutLines(bytes, file, {static_cast<size_t>(entry)})};
  }

  if (found == nullptr) {  // a new section at the end
    std::string out = bytes;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') {
      out.append(kCrLf);
    }
    out += new_section_text + EntryText(*key_name, *value);
    out.append(kCrLf);
    return {true, out};
  }

  if (entry >= 0) {  // replace the value; the key keeps its spelling
    const ParsedLine& line = file.lines[static_cast<size_t>(entry)];
    std::string out = bytes.substr(0, line.name_begin);
    out += EntryText(line.name, *value);
    out += bytes.substr(line.span.text_end);
    return {true, out};
  }

  // A new key after the last key of the section.
  size_t anchor =
      found->entries.empty() ? found->header : found->entries.back();
  const Line& span = file.lines[anchor].span;
  std::string insert;
  if (span.end == span.text_end) insert.append(kCrLf);
  insert += EntryText(*key_name, *value);
  if (span.end != span.text_end) insert.append(kCrLf);
  std::string out = bytes.substr(0, span.end);
  out += insert;
  out += bytes.substr(span.end);
  return {true, out};
}

}  // namespace platform::profile
