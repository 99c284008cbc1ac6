#pragma once

#include "db/DbfReader.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sampletest {

// A table's live records, each field by name: text decoded, numbers and dates as stored
// without blanks ("" when empty).
using Row = std::map<std::string, std::string, std::less<>>;

inline std::vector<Row> readRows(const std::filesystem::path& file)
{
    db::DbfReader r(file, file.filename().string());
    std::vector<Row> rows;
    while (r.next()) {
        Row row;
        for (std::size_t i = 0; i < r.fields().size(); ++i) {
            const db::DbfField& f = r.fields()[i];
            const int at = static_cast<int>(i);
            if (f.type == 'C') {
                row[f.name] = r.text(at);
            } else {
                std::string_view s = r.rawText(at);
                while (!s.empty() && s.front() == ' ')
                    s.remove_prefix(1);
                row[f.name] = std::string(s);
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

inline double amount(const std::string& stored)
{
    return stored.empty() ? 0.0 : std::stod(stored);
}

} // namespace sampletest
