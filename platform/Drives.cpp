#include "platform/Drives.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {
namespace {

std::optional<DriveMap>& driveMap()
{
    static std::optional<DriveMap> map;
    return map;
}

fs::path dosdevicesFolder()
{
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return fs::path(prefix) / "dosdevices";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".wine" / "dosdevices";
    return {};
}

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Decodes one UTF-8 sequence; malformed bytes come back one by one as themselves.
char32_t nextCodePoint(std::string_view s, size_t& i)
{
    auto b = static_cast<unsigned char>(s[i]);
    if (b >= 0xC2 && b <= 0xDF && i + 1 < s.size()) {
        auto b1 = static_cast<unsigned char>(s[i + 1]);
        if ((b1 & 0xC0) == 0x80) {
            i += 2;
            return (char32_t(b & 0x1F) << 6) | (b1 & 0x3F);
        }
    }
    ++i;
    return b;
}

char32_t foldCase(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 'A';
    // Latin-1 lower-case letters à..þ (but not ÷) map to À..Þ; ÿ to Ÿ.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    return c;
}

std::vector<std::string> splitComponents(std::string_view rest)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : rest) {
        if (c == '\\' || c == '/') {
            if (!current.empty())
                parts.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        parts.push_back(std::move(current));
    return parts;
}

// The entry of dir named like name, ignoring case; empty when there is none.
std::optional<fs::path> matchEntry(const fs::path& dir, const std::string& name)
{
    std::error_code ec;
    fs::path exact = dir / name;
    if (fs::exists(fs::symlink_status(exact, ec)))
        return exact;
    std::optional<std::string> best;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (sameNameIgnoringCase(entry, name) && (!best || entry < *best))
            best = entry;
    }
    if (!best)
        return std::nullopt;
    return dir / *best;
}

bool isInside(const fs::path& root, const fs::path& dir)
{
    auto r = root.begin();
    auto d = dir.begin();
    for (; r != root.end(); ++r, ++d) {
        if (r->empty())
            continue; // a trailing separator
        if (d == dir.end() || *r != *d)
            return false;
    }
    return true;
}

} // namespace

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

std::optional<DriveMap> setDriveMap(std::optional<DriveMap> map)
{
    std::optional<DriveMap> old = std::move(driveMap());
    driveMap() = std::move(map);
    return old;
}

std::vector<Drive> drives()
{
    std::vector<Drive> result;
    if (const std::optional<DriveMap>& map = driveMap()) {
        for (const auto& [letter, root] : *map) {
            std::error_code ec;
            const char upper = upperAscii(letter);
            if (upper >= 'A' && upper <= 'Z' && fs::is_directory(root, ec))
                result.push_back({upper, fs::weakly_canonical(root, ec)});
        }
        return result;
    }
    const fs::path folder = dosdevicesFolder();
    std::error_code ec;
    if (!folder.empty() && fs::is_directory(folder, ec)) {
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.size() != 2 || name[1] != ':')
                continue;
            const char letter = upperAscii(name[0]);
            if (letter < 'A' || letter > 'Z')
                continue;
            std::error_code statError;
            if (!fs::is_directory(it->path(), statError))
                continue; // a dangling link or a device: no drive to read from
            fs::path root = fs::weakly_canonical(it->path(), statError);
            if (statError)
                continue;
            if (std::none_of(result.begin(), result.end(),
                             [&](const Drive& d) { return d.letter == letter; }))
                result.push_back({letter, root});
        }
        std::sort(result.begin(), result.end(),
                  [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
        return result;
    }
    result.push_back({'Z', fs::path("/")});
    return result;
}

std::optional<Drive> findDrive(char letter)
{
    letter = upperAscii(letter);
    for (Drive& d : drives()) {
        if (d.letter == letter)
            return d;
    }
    return std::nullopt;
}

int currentDriveNumber()
{
    const std::vector<Drive> all = drives();
    if (all.empty())
        return 'Z' - 'A';
    std::error_code ec;
    const fs::path cwd = fs::weakly_canonical(fs::current_path(ec), ec);
    const Drive* best = nullptr;
    size_t bestDepth = 0;
    for (const Drive& d : all) {
        if (ec || !isInside(d.root, cwd))
            continue;
        const size_t depth = static_cast<size_t>(std::distance(d.root.begin(), d.root.end()));
        if (!best || depth > bestDepth) {
            best = &d;
            bestDepth = depth;
        }
    }
    return (best ? best->letter : all.front().letter) - 'A';
}

ResolvedPath resolvePath(std::string_view dosPath)
{
    ResolvedPath result;
    if (dosPath.size() < 2 || dosPath[1] != ':')
        return result;
    const std::vector<std::string> parts = splitComponents(dosPath.substr(2));
    for (const std::string& part : parts) {
        if (part == "." || part == "..")
            return result;
    }
    const std::optional<Drive> drive = findDrive(dosPath[0]);
    if (!drive) {
        result.status = PathStatus::NoDrive;
        return result;
    }
    fs::path current = drive->root;
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        std::optional<fs::path> next = matchEntry(current, parts[i]);
        if (!next) {
            result.status = last ? PathStatus::NoFile : PathStatus::NoDirectory;
            result.path = current / parts[i];
            return result;
        }
        std::error_code ec;
        if (!last && !fs::is_directory(*next, ec)) {
            result.status = PathStatus::NoDirectory;
            result.path = *next;
            return result;
        }
        current = *next;
    }
    result.status = PathStatus::Ok;
    result.path = current;
    return result;
}

std::string dosParentPath(std::string_view dosPath)
{
    const size_t cut = dosPath.find_last_of("\\/");
    if (cut == std::string_view::npos)
        return std::string(dosPath);
    return std::string(dosPath.substr(0, cut));
}

} // namespace platform
