#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lensws {

// A key = value file with comments, quotes, nested blocks and %name% references:
//
//   # a comment (only with "#" as the line's very first character)
//   KEY = value            the key and the value are trimmed of blanks and tabs, and of one
//   NAME="quoted value"    leading and one trailing double quote
//   BLOCK = (              opens a block whose keys belong to the child named BLOCK
//   INNER = %KEY%/x        %KEY% becomes KEY's value: the open blocks' own keys first
//   )                      (innermost first), then the predefined variables
//
// A line is read as a key only when it is longer than two characters (its line end counts) and
// holds no ")"; a line without "=" is a key with an empty value. Every line whose first
// character is not "#" and which holds a ")" closes the innermost open block; the top level is
// never closed. A later value of a key replaces the earlier one. Lines are read in pieces of at
// most 1023 characters.
class ConfigFile {
public:
    // At most this many passes of replacements per name map, and no expansion that would make
    // a value longer than kMaxValueLength: a name defined through its own reference would
    // otherwise expand without end.
    static constexpr int kMaxExpansionPasses = 64;
    static constexpr std::size_t kMaxValueLength = 65536;

    explicit ConfigFile(std::string fileName = std::string());
    ConfigFile(const ConfigFile&) = delete;
    ConfigFile& operator=(const ConfigFile&) = delete;

    // Reads the file at `path`. `predefined` holds texts "name=value" (split at the first "=")
    // that %name% references may use. True when the file could be opened, whatever it holds.
    bool load(const char* path, const std::vector<std::string>& predefined = {});
    // The same from an open file; `fileName` names it.
    void read(std::FILE* file, const std::string& fileName,
              const std::vector<std::string>& predefined = {});

    // The value of a top-level key, or the empty text.
    std::string get(const std::string& key) const;
    // The block opened under `name`, or nullptr.
    const ConfigFile* block(const std::string& name) const;
    // The path given to load; a block's is its name, ", " and the path.
    const std::string& fileName() const { return fileName_; }

private:
    void clear();

    std::map<std::string, std::string> values_;
    std::map<std::string, std::unique_ptr<ConfigFile>> children_;
    std::map<std::string, std::string> variables_;
    std::string fileName_;
};

}  // namespace lensws
