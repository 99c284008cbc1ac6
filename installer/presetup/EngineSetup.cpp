#include "installer/presetup/EngineSetup.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A configuration: sections of "name=value" settings, with the comments and blank lines of
// the file kept where they were.
struct Section {
    std::string name;
    std::vector<std::string> lines; // settings, comments and blank lines, as written
    std::vector<std::string> keys;  // the settings' names, lower case
};

std::string trim(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    const auto end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::vector<Section> parse(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error(file.string() + " cannot be read");
    std::vector<Section> sections(1); // settings before the first section header
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.find('\0') != std::string::npos)
            throw std::runtime_error(file.string() + " is not a configuration file");
        const std::string text = trim(line);
        if (text.empty() || text[0] == ';' || text[0] == '#') {
            sections.back().lines.push_back(line);
            continue;
        }
        if (text[0] == '[') {
            if (text.back() != ']' || text.size() < 3)
                throw std::runtime_error(file.string() + ", line " + std::to_string(number) +
                                         ": a section header without its \"]\"");
            sections.push_back({trim(text.substr(1, text.size() - 2)), {}, {}});
            continue;
        }
        const auto equals = text.find('=');
        if (equals == std::string::npos || trim(text.substr(0, equals)).empty())
            throw std::runtime_error(file.string() + ", line " + std::to_string(number) +
                                     ": not a setting \"name=value\"");
        sections.back().lines.push_back(line);
        sections.back().keys.push_back(lower(trim(text.substr(0, equals))));
    }
    if (in.bad())
        throw std::runtime_error(file.string() + " cannot be read");
    return sections;
}

Section* find(std::vector<Section>& sections, const std::string& name)
{
    for (Section& s : sections)
        if (lower(s.name) == lower(name) && (&s != &sections.front() || name.empty()))
            return &s;
    return nullptr;
}

std::string write(const std::vector<Section>& sections)
{
    std::ostringstream out;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (i > 0)
            out << '[' << sections[i].name << "]\n";
        for (const std::string& line : sections[i].lines)
            out << line << '\n';
    }
    return out.str();
}

void replaceFile(const fs::path& target, const std::string& bytes)
{
    fs::path temp = target;
    temp += ".merge-XXXXXX";
    std::string pattern = temp.string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw std::runtime_error(target.string() + " cannot be written");
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            ::close(fd);
            ::unlink(pattern.c_str());
            throw std::runtime_error(target.string() + " cannot be written");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0 || ::close(fd) != 0 ||
        std::rename(pattern.c_str(), target.c_str()) != 0) {
        ::unlink(pattern.c_str());
        throw std::runtime_error(target.string() + " cannot be written");
    }
}

void merge(const fs::path& shipped, const fs::path& config)
{
    const std::vector<Section> incoming = parse(shipped);
    if (!fs::exists(config)) {
        replaceFile(config, write(incoming));
        return;
    }
    std::vector<Section> current = parse(config);
    for (const Section& section : incoming) {
        Section* target = find(current, section.name);
        if (!target) {
            current.push_back({section.name, {}, {}});
            target = &current.back();
        }
        for (std::size_t i = 0, key = 0; i < section.lines.size(); ++i) {
            const std::string text = trim(section.lines[i]);
            if (text.empty() || text[0] == ';' || text[0] == '#')
                continue;
            const std::string& name = section.keys[key++];
            bool present = false;
            for (const std::string& k : target->keys)
                present = present || k == name;
            if (!present) {
                target->lines.push_back(section.lines[i]);
                target->keys.push_back(name);
            }
        }
    }
    replaceFile(config, write(current));
}

} // namespace

extern "C" int radazizEngineMergeConfig(const char* shipped, const char* config, char* message,
                                        unsigned long size)
{
    try {
        if (!shipped || !config)
            throw std::runtime_error("no configuration named");
        merge(shipped, config);
        return 0;
    } catch (const std::exception& e) {
        if (message && size > 0)
            std::snprintf(message, size, "%s", e.what());
        return 1;
    }
}
