#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sample {

// The command line of radaziz-sample-drive, arguments after the program's name:
//   DIR                                            the sample drive
//   --generated EMPLOYEES RECORDS_PER_EMPLOYEE DIR  a generated drive, for benchmarks
// Returns the exit status: 0 done, 1 the drive could not be written, 2 bad arguments.
int runSampleDriveCommand(const std::vector<std::string>& args, std::ostream& out,
                          std::ostream& err);

} // namespace sample
