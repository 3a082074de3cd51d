#pragma once
// What the fuzz targets share: a private temporary folder for the process, and the input written
// there as a file for the readers that take a path.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace velmora::fuzz {

// A folder of this process's own under the system's temporary folder, made on first use and
// removed when the process ends normally.
const std::filesystem::path& ScratchFolder();

// Writes the bytes to `name` in the scratch folder (replacing it) and returns the path.
std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size);

}  // namespace velmora::fuzz

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::fuzz {

// A session over a fresh copy of the shipped database, made in the scratch folder: `name` is
// replaced by a copy of the shipped file and opened (the previous session over it is closed
// first). Messages the session would show are dropped. Aborts when the shipped database is missing:
// build the target velmora_shipped_files first.
session::DatabaseSession& FreshDatabase(const std::string& name);

}  // namespace velmora::fuzz
