// A second run on a drive, for the tests of the work-table lock: takes the lock of drive
// LETTER (on the drives of the environment's WINEPREFIX) as a run of the job does, optionally
// runs the preparation pass under it, says "held", and keeps the lock until its standard input
// ends. Then, still holding it, it reads the work table as the report would, prints how many
// rows it has, and ends.
//
//   work_table_holder LETTER [pass]
#include "db/Query.h"
#include "db/Table.h"
#include "prep/MontaTabelaIR.h"
#include "prep/TableDefs.h"
#include "prep/WorkTableLock.h"

#include <cstdio>
#include <cstring>
#include <exception>

int main(int argc, char** argv)
{
    if (argc < 2 || std::strlen(argv[1]) != 1)
        return 2;
    const char drive = argv[1][0];
    const bool pass = argc > 2 && std::strcmp(argv[2], "pass") == 0;
    try {
        prep::WorkTableLock lock(drive, std::chrono::milliseconds(0));
        if (pass) {
            db::Query sql;
            db::Table ir, dirf;
            prep::MontaTabelaIR(drive, sql, ir, dirf);
        }
        std::printf("held\n");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        int rows = 0;
        if (pass) {
            db::Table ir;
            prep::defineWorkTableFields(ir);
            ir.setTableName(prep::payrollPath(drive, prep::kWorkTablePath));
            ir.open();
            for (ir.first(); !ir.eof(); ir.next())
                ++rows;
        }
        std::printf("%d rows\n", rows);
        return 0;
    } catch (const std::exception& e) {
        std::printf("error: %s\n", e.what());
        return 1;
    }
}
