#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// Whether jobs can be handed to the system's print spooler here.
bool spoolerAvailable() noexcept;

// Hands a PDF file to the print spooler as one job on the named printer, with the spooler's
// options (copies, collate, sides and whatever the printer's own settings chose), piece by
// piece; keepGoing is asked between pieces, and false cancels the job. Returns the job's
// number, 0 when cancelled; throws std::runtime_error with the spooler's message when it
// refuses the job.
int spoolPdf(const std::string& printer, const std::string& file, const std::string& title,
             const std::vector<std::pair<std::string, std::string>>& options,
             const std::function<bool()>& keepGoing = {});

} // namespace platform
