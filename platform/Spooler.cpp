#include "platform/Spooler.h"

#include <stdexcept>

#ifdef RADAZIZ_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace platform {

#ifdef RADAZIZ_HAVE_CUPS

bool spoolerAvailable() noexcept
{
    return true;
}

int spoolPdf(const std::string& printer, const std::string& file, const std::string& title,
             const std::vector<std::pair<std::string, std::string>>& options)
{
    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [name, value] : options)
        count = cupsAddOption(name.c_str(), value.c_str(), count, &list);
    count = cupsAddOption("document-format", "application/pdf", count, &list);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.c_str(), file.c_str(), title.c_str(),
                                   count, list);
    cupsFreeOptions(count, list);
    if (job == 0)
        throw std::runtime_error("A impressora " + printer +
                                 " recusou o trabalho: " + cupsLastErrorString());
    return job;
}

#else

bool spoolerAvailable() noexcept
{
    return false;
}

int spoolPdf(const std::string&, const std::string&, const std::string&,
             const std::vector<std::pair<std::string, std::string>>&)
{
    throw std::runtime_error("Não há spooler de impressão neste sistema.");
}

#endif

} // namespace platform
