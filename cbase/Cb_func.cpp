#include "cbase/Cb_func.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// The search text ends at its first NUL.
std::string searchText(const CBase& search)
{
    std::string text = search.String();
    if (const auto nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

// Clamping shared by both Substr forms; 64-bit so that no start or count can overflow.
std::string substrOf(const std::string& text, std::int64_t start, std::int64_t count)
{
    if (text.empty() || count < 0)
        return {};
    start = std::max<std::int64_t>(start, 1);
    if (start > static_cast<std::int64_t>(text.size()))
        return {};
    return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

// Never destroyed: a fatal error raised while static objects are torn down still finds it.
CBaseErrorHook& errorHook()
{
    static auto* hook = new CBaseErrorHook;
    return *hook;
}

void writeToStderr(std::string_view message) noexcept
{
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

std::int32_t At(const CBase& search, const CBase& target)
{
    const std::string needle = searchText(search);
    const std::string haystack = target.String();
    if (needle.empty() || haystack.empty())
        return 0;
    const auto found = haystack.find(needle);
    return found == std::string::npos ? 0 : static_cast<std::int32_t>(found + 1);
}

std::string Substr(const CBase& text, const CBase& start, const CBase& count)
{
    const std::string value = text.String();
    const std::int32_t n = count.Int();
    const std::int32_t from = start.Int();
    return substrOf(value, from, n);
}

std::string Substr(const CBase& text, const CBase& start)
{
    const std::string value = text.String();
    const std::int64_t from = start.Int();
    return substrOf(value, from, static_cast<std::int64_t>(value.size()) - from + 1);
}

// Every search starts at the same position p, and the text from p up to the last replacement's
// position minus len(search) - 1 is known to hold no occurrence, so the next search may start
// there instead. That point can move back (a replacement may complete an occurrence that starts
// just before it), but only by len(search) - 1 per replacement. The text is kept in a gap buffer
// whose gap sits at that point: moving it and splicing a replacement in cost O(len(search) +
// len(replacement)), and the tail behind the replacement never moves. Results are those of
// copying the rest at every search and rebuilding the whole text at every replacement.
std::string Strtran(const CBase& text, const CBase& search, const CBase& replacement,
                    const CBase& first, const CBase& count)
{
    const std::int32_t maxReplacements = count.Int();
    const std::int32_t firstValue = first.Int();
    std::string buf = text.String();
    if (maxReplacements <= 0)
        return buf;

    const std::string needle = searchText(search);
    const std::size_t m = needle.size();
    if (m == 0)
        return buf;

    // Occurrences before `first` are skipped; the next search starts one past each, so it may
    // find one that overlaps the skipped one.
    std::size_t p = 0;
    for (std::int64_t skip = std::int64_t{firstValue} - 1; skip > 0; --skip) {
        const auto occ = buf.find(needle, p);
        if (occ == std::string::npos)
            return buf;
        p = occ + 1;
    }

    std::size_t occ = buf.find(needle, p);
    if (occ == std::string::npos)
        return buf;
    const std::string rep = replacement.String();
    const std::size_t r = rep.size();

    // The text is buf[0, gs) followed by buf[ge, end); searches run from ge.
    std::size_t gs = p;
    std::size_t ge = p;
    for (std::int32_t left = maxReplacements;;) {
        // d: characters between the gap and the occurrence; bring it down to at most m - 1.
        std::size_t d = occ - ge;
        if (d >= m - 1) {
            const std::size_t forward = d - (m - 1);
            std::memmove(&buf[gs], &buf[ge], forward);
            gs += forward;
            ge += forward;
            d = m - 1;
        } else {
            const std::size_t back = std::min(gs - p, m - 1 - d);
            gs -= back;
            ge -= back;
            std::memmove(&buf[ge], &buf[gs], back);
            d += back;
        }

        // Splice: the d characters and the replacement end where the occurrence ended.
        if (r <= m) {
            const std::size_t freed = m - r;
            std::memmove(&buf[ge + freed], &buf[ge], d);
            std::memcpy(&buf[ge + freed + d], rep.data(), r);
            ge += freed;
        } else {
            const std::size_t need = r - m;
            if (ge - gs < need) {
                // A gap at least as large as the text keeps regrowth amortised O(1) per byte.
                const std::size_t tail = buf.size() - ge;
                const std::size_t gap = std::max(gs + tail, need) + need;
                std::string grown;
                grown.reserve(gs + gap + tail);
                grown.append(buf, 0, gs);
                grown.append(gap, '\0');
                grown.append(buf, ge, std::string::npos);
                buf.swap(grown);
                ge = gs + gap;
            }
            std::memmove(&buf[ge - need], &buf[ge], d);
            std::memcpy(&buf[ge - need + d], rep.data(), r);
            ge -= need;
        }

        if (--left == 0)
            break;
        occ = buf.find(needle, ge);
        if (occ == std::string::npos)
            break;
    }
    buf.erase(gs, ge - gs);
    return buf;
}

std::string Strtran(const CBase& text, const CBase& search, const CBase& replacement)
{
    const CBase first(1);
    const CBase count(65535);
    return Strtran(text, search, replacement, first, count);
}

CBaseErrorHook SetCBaseErrorHook(CBaseErrorHook hook)
{
    return std::exchange(errorHook(), std::move(hook));
}

void CBaseError(std::string_view message) noexcept
{
    static bool showing = false;
    static bool exiting = false;
    if (exiting) // raised again by an exit handler: exit() must not be re-entered
        std::_Exit(1);
    if (!showing) { // a hook that fails the same way ends here without looping
        showing = true;
        try {
            if (auto& hook = errorHook())
                hook(std::string(message));
            else
                writeToStderr(message);
        } catch (...) {
            writeToStderr(message);
        }
    }
    exiting = true;
    std::exit(1);
}
