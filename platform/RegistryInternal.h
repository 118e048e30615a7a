#pragma once

#include <string>

// Where the registry keeps its file, set when the platform starts.
namespace w32::registry {

// An empty name keeps the store in memory. Loads the file when there is one.
void UseStoreFile(const std::string& fileName);
// The store file of the running program: the registry file under the application-data folder.
std::string DefaultStoreFile();

}  // namespace w32::registry
