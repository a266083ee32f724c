#ifndef PLATFORM_FOLDER_LOCK_H_
#define PLATFORM_FOLDER_LOCK_H_

#include <memory>
#include <string>

#include "platform/host.h"

namespace platform {

// Keeps other instances of the program out of `folder` while the returned
// lock lives, waiting up to `wait_seconds` for one that is inside; nullptr
// when it is still inside then. Nothing is created in the folder (Access
// and the HMI would see a lock file): on Linux an flock(2) on the folder
// itself, which the atomic renames of the files inside leave alone; on
// Windows a named mutex keyed by the folder's full path without regard to
// case. A folder that cannot be opened gets a lock that holds nothing (the
// steps that follow report what is wrong with it).
std::unique_ptr<FolderLock> LockFolder(const std::string& folder,
                                       int wait_seconds);

}  // namespace platform

#endif  // PLATFORM_FOLDER_LOCK_H_
