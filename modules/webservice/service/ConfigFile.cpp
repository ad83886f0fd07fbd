#include "service/ConfigFile.h"

#include <cstring>
#include <string_view>

namespace lensws {

namespace {

constexpr std::size_t kLineBuffer = 1024;

bool isLeadingBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isTrailingBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Trims blanks (keeping at least one character), then one leading and one trailing double
// quote. What is left of an empty value, a lone blank or line end, or the quotes of "", is the
// empty text: such a value says "nothing", not "a line end".
std::string trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (end - begin > 1 && isLeadingBlank(text[begin])) {
        ++begin;
    }
    while (end - begin > 1 && isTrailingBlank(text[end - 1])) {
        --end;
    }
    if (end - begin == 2 && text[begin] == '"' && text[begin + 1] == '"') {
        return std::string();
    }
    if (end - begin > 1 && text[begin] == '"') {
        ++begin;
    }
    if (end - begin > 1 && text[end - 1] == '"') {
        --end;
    }
    if (end - begin == 1 && isTrailingBlank(text[begin])) {
        return std::string();
    }
    return std::string(text.substr(begin, end - begin));
}

// Replaces, pass after pass, the first %name% of every name in `names` until a pass changes
// nothing, within the bounds on passes and length.
void expandWith(std::string& value, const std::map<std::string, std::string>& names) {
    for (int pass = 0; pass < ConfigFile::kMaxExpansionPasses; ++pass) {
        bool replaced = false;
        for (const auto& [name, text] : names) {
            std::string reference = "%" + name + "%";
            std::size_t at = value.find(reference);
            if (at == std::string::npos) {
                continue;
            }
            if (value.size() - reference.size() + text.size() > ConfigFile::kMaxValueLength) {
                return;
            }
            value.replace(at, reference.size(), text);
            replaced = true;
        }
        if (!replaced) {
            return;
        }
    }
}

}  // namespace

ConfigFile::ConfigFile(std::string fileName) : fileName_(std::move(fileName)) {}

void ConfigFile::clear() {
    values_.clear();
    children_.clear();
    variables_.clear();
}

bool ConfigFile::load(const char* path, const std::vector<std::string>& predefined) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return false;
    }
    read(file, path, predefined);
    std::fclose(file);
    return true;
}

void ConfigFile::read(std::FILE* file, const std::string& fileName,
                      const std::vector<std::string>& predefined) {
    clear();
    fileName_ = fileName;
    for (const std::string& text : predefined) {
        std::size_t equals = text.find('=');
        if (equals == std::string::npos) {
            variables_[text] = std::string();
        } else {
            variables_[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }

    // The open blocks, innermost last; this object at the bottom.
    std::vector<ConfigFile*> open{this};
    char buffer[kLineBuffer];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        std::string_view line(buffer, std::strlen(buffer));
        const bool comment = !line.empty() && line[0] == '#';
        const bool closes = !line.empty() && !comment && line.find(')') != std::string_view::npos;
        if (line.size() > 2 && !comment && !closes) {
            std::size_t equals = line.find('=');
            std::string key = trim(line.substr(0, equals));
            std::string value =
                equals == std::string_view::npos ? std::string() : trim(line.substr(equals + 1));
            ConfigFile* current = open.back();
            if (value == "(") {
                auto child = std::make_unique<ConfigFile>(key + ", " + fileName_);
                ConfigFile* opened = child.get();
                current->children_[key] = std::move(child);
                open.push_back(opened);
            } else {
                for (auto block = open.rbegin(); block != open.rend(); ++block) {
                    expandWith(value, (*block)->values_);
                }
                expandWith(value, variables_);
                current->values_[key] = std::move(value);
            }
        }
        if (closes && open.size() > 1) {
            open.pop_back();
        }
    }
}

std::string ConfigFile::get(const std::string& key) const {
    auto found = values_.find(key);
    return found == values_.end() ? std::string() : found->second;
}

const ConfigFile* ConfigFile::block(const std::string& name) const {
    auto found = children_.find(name);
    return found == children_.end() ? nullptr : found->second.get();
}

}  // namespace lensws
