// Times the preparation pass against a bare scan of the raw table it reads.
//
//   bench_prep [EMPLOYEES [RECORDS_PER_EMPLOYEE]]     (default 20000 × 50 = 1,000,000 records)
//
// (a) scan: every record of ir_cru.dbf read with the dBase reader, every field decoded;
// (b) pass: the whole preparation pass (drop, create, total, write, close).
// Prints both times, their ratio, and the peak memory each adds to the process.
#include "db/DbfReader.h"
#include "db/Query.h"
#include "db/Table.h"
#include "prep/MontaTabelaIR.h"
#include "sample/SampleDrive.h"

#include "BenchDrive.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

long peakKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

template <typename F> double seconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    sample::GeneratedDriveOptions options;
    if (argc > 1)
        options.employees = std::atoi(argv[1]);
    if (argc > 2)
        options.recordsPerEmployee = std::atoi(argv[2]);

    BenchDrive drive;
    const fs::path root = drive.root();

    std::printf("Generating %d employees × %d records...\n", options.employees,
                options.recordsPerEmployee);
    std::fflush(stdout);
    sample::writeGeneratedDrive(root, options);
    const fs::path raw = root / "DIRF99" / "ir_cru.dbf";
    std::printf("Raw table: %.1f MB\n", fs::file_size(raw) / 1e6);

    // Warm the page cache so that both timings read from memory.
    {
        std::ifstream in(raw, std::ios::binary);
        std::string chunk(1 << 20, '\0');
        while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount())
            ;
    }

    double best[2] = {1e9, 1e9};
    long memory[2] = {0, 0};
    std::size_t records = 0;
    for (int round = 0; round < 3; ++round) {
        resetPeak();
        long before = peakKb();
        const double scan = seconds([&] {
            db::DbfReader reader(raw, "C:\\dirf99\\ir_cru.dbf");
            std::string text;
            double sum = 0;
            records = 0;
            while (reader.next()) {
                ++records;
                for (std::size_t i = 0; i < reader.fields().size(); ++i) {
                    const int f = static_cast<int>(i);
                    if (reader.fields()[i].type == 'C') {
                        text.clear();
                        reader.appendText(f, text);
                        sum += static_cast<double>(text.size());
                    } else {
                        sum += reader.number(f);
                    }
                }
            }
            if (sum == 0.123)
                std::puts("");
        });
        best[0] = std::min(best[0], scan);
        memory[0] = std::max(memory[0], peakKb() - before);

        resetPeak();
        before = peakKb();
        const double pass = seconds([] {
            db::Query sql;
            db::Table ir, dirf;
            prep::MontaTabelaIR('C', sql, ir, dirf);
        });
        best[1] = std::min(best[1], pass);
        memory[1] = std::max(memory[1], peakKb() - before);
    }

    std::size_t keys = 0;
    {
        db::Table ir;
        prep::defineWorkTableFields(ir);
        ir.setTableName("C:\\dirf99\\IR.DB");
        ir.open();
        for (ir.first(); !ir.eof(); ir.next())
            ++keys;
    }

    std::printf("Records: %zu, distinct keys: %zu\n", records, keys);
    std::printf("(a) bare scan, every field decoded: %.3f s (peak +%ld KB)\n", best[0], memory[0]);
    std::printf("(b) whole preparation pass:         %.3f s (peak +%ld KB)\n", best[1], memory[1]);
    std::printf("ratio (b)/(a): %.2f\n", best[1] / best[0]);
    return 0;
}
