#include "platform/Spooler.h"

#include <fstream>
#include <stdexcept>
#include <vector>

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
             const std::vector<std::pair<std::string, std::string>>& options,
             const std::function<bool()>& keepGoing)
{
    const auto refused = [&] {
        return std::runtime_error("A impressora " + printer +
                                  " recusou o trabalho: " + cupsLastErrorString());
    };
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("Não foi possível ler o trabalho de impressão " + file);

    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [name, value] : options)
        count = cupsAddOption(name.c_str(), value.c_str(), count, &list);
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, printer.c_str(), title.c_str(), count, list);
    cupsFreeOptions(count, list);
    if (job == 0)
        throw refused();
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, printer.c_str(), job, title.c_str(), CUPS_FORMAT_PDF,
                          1) != HTTP_STATUS_CONTINUE) {
        cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.c_str(), job, 0);
        throw refused();
    }
    // Pieces small enough for a cancel to be answered at once.
    std::vector<char> piece(256 * 1024);
    bool cancelled = false;
    while (in) {
        in.read(piece.data(), std::streamsize(piece.size()));
        const std::streamsize got = in.gcount();
        if (got > 0 && cupsWriteRequestData(CUPS_HTTP_DEFAULT, piece.data(), std::size_t(got)) !=
                           HTTP_STATUS_CONTINUE) {
            cupsFinishDocument(CUPS_HTTP_DEFAULT, printer.c_str());
            cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.c_str(), job, 0);
            throw refused();
        }
        if (keepGoing && !keepGoing()) {
            cancelled = true;
            break;
        }
    }
    const ipp_status_t status = cupsFinishDocument(CUPS_HTTP_DEFAULT, printer.c_str());
    if (cancelled) {
        cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.c_str(), job, 0);
        return 0;
    }
    if (status > IPP_STATUS_OK_CONFLICTING)
        throw refused();
    return job;
}

#else

bool spoolerAvailable() noexcept
{
    return false;
}

int spoolPdf(const std::string&, const std::string&, const std::string&,
             const std::vector<std::pair<std::string, std::string>>&, const std::function<bool()>&)
{
    throw std::runtime_error("Não há spooler de impressão neste sistema.");
}

#endif

} // namespace platform
