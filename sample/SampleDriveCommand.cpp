#include "sample/SampleDriveCommand.h"

#include "sample/SampleDrive.h"

#include <charconv>
#include <exception>
#include <optional>
#include <stdexcept>

namespace sample {
namespace {

constexpr const char* kUsage =
    "usage: radaziz-sample-drive DIR\n"
    "       radaziz-sample-drive --generated EMPLOYEES RECORDS_PER_EMPLOYEE DIR\n"
    "Writes the sample payroll drive into DIR (created if missing; its files replaced).\n"
    "With --generated, writes a large generated drive for benchmarks instead.\n";

std::optional<int> positive(const std::string& s)
{
    int n = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (ec != std::errc() || end != s.data() + s.size() || n < 1)
        return std::nullopt;
    return n;
}

int badArguments(std::ostream& err, const std::string& why)
{
    err << "radaziz-sample-drive: " << why << "\n" << kUsage;
    return 2;
}

bool isOption(const std::string& s)
{
    return !s.empty() && s.front() == '-';
}

} // namespace

int runSampleDriveCommand(const std::vector<std::string>& args, std::ostream& out,
                          std::ostream& err)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage;
        return 0;
    }
    std::optional<GeneratedDriveOptions> generated;
    std::string dir;
    if (!args.empty() && args[0] == "--generated") {
        if (args.size() != 4)
            return badArguments(err, "--generated takes EMPLOYEES RECORDS_PER_EMPLOYEE DIR");
        const std::optional<int> employees = positive(args[1]);
        const std::optional<int> records = positive(args[2]);
        if (!employees)
            return badArguments(err, "EMPLOYEES must be a positive whole number: " + args[1]);
        if (!records)
            return badArguments(err,
                                "RECORDS_PER_EMPLOYEE must be a positive whole number: " + args[2]);
        generated = GeneratedDriveOptions{.employees = *employees, .recordsPerEmployee = *records};
        try {
            checkGeneratedDriveOptions(*generated);
        } catch (const std::invalid_argument& e) {
            return badArguments(err, e.what());
        }
        dir = args[3];
    } else if (args.size() == 1 && !isOption(args[0])) {
        dir = args[0];
    } else {
        return badArguments(err, args.empty() ? "no folder given" : "unexpected arguments");
    }
    if (dir.empty())
        return badArguments(err, "empty folder name");

    try {
        if (generated)
            writeGeneratedDrive(dir, *generated);
        else
            writeSampleDrive(dir);
    } catch (const std::exception& e) {
        err << "radaziz-sample-drive: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

} // namespace sample
