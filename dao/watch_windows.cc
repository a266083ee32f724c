// ChangeWatch on Windows: no notifications are kept. A file counts as
// unchanged while its identity (volume, file index, size, last-write and
// change time in 100-ns units) stays the same; that check is made by the
// caller (OpenFiles) before the watch is asked.
#include "dao/watch.h"

namespace dao_jet {

ChangeWatch::ChangeWatch() = default;

ChangeWatch::~ChangeWatch() = default;

int ChangeWatch::Watch(const std::string& /*path*/) { return 0; }

void ChangeWatch::Drain() {}

bool ChangeWatch::Changed(int token) { return token < 0; }

void ChangeWatch::Clear(int /*token*/) {}

}  // namespace dao_jet
