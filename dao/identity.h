#ifndef DAO_IDENTITY_H_
#define DAO_IDENTITY_H_

#include <optional>
#include <string>

#include "base/file_identity.h"

namespace dao_jet {

using base::FileIdentity;

// nullopt when there is no such file. Paths are UTF-8.
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace dao_jet

#endif  // DAO_IDENTITY_H_
