#include "cbase/Cb_varmem.h"

#include "cbase/Cb_array.h"
#include "cbase/Cb_func.h"

#include <limits>

CBase::CBase(std::string_view text)
    : m_tag('C')
{
    m_payload.C = new std::string(text);
}

CBase CBase::Number(long double value) noexcept
{
    CBase v;
    v.m_tag = 'N';
    v.m_payload.N = value;
    return v;
}

CBase CBase::Logical(std::uint8_t value) noexcept
{
    CBase v;
    v.m_tag = 'L';
    v.m_payload.L = value;
    return v;
}

CBase CBase::Char(char value) noexcept
{
    CBase v;
    v.m_tag = 'c';
    v.m_payload.c = value;
    return v;
}

CBase CBase::Date(const CBaseDate& date)
{
    CBase v;
    v.m_payload.D = new CBaseDate(date);
    v.m_tag = 'D';
    return v;
}

CBase CBase::NewArray(std::size_t count)
{
    CBase v;
    v.m_payload.A = new CBaseArray(count);
    v.m_tag = 'A';
    return v;
}

CBase CBase::Share(CBaseArray& array)
{
    // A wrapped count would free the array while values still refer to it.
    if (array.shareCount == std::numeric_limits<std::uint16_t>::max())
        CBaseError("Array share count overflow");
    ++array.shareCount;
    CBase v;
    v.m_payload.A = &array;
    v.m_tag = 'A';
    return v;
}

CBase::CBase(CBase&& other) noexcept
    : m_tag(other.m_tag)
    , m_payload(other.m_payload)
{
    other.m_tag = 0;
}

CBase& CBase::operator=(CBase&& other) noexcept
{
    if (this != &other) {
        Destroy();
        m_payload = other.m_payload;
        m_tag = other.m_tag;
        other.m_tag = 0;
    }
    return *this;
}

void CBase::Destroy() noexcept
{
    switch (m_tag) {
    case 'A':
        if (m_payload.A->shareCount == 0)
            delete m_payload.A;
        else
            --m_payload.A->shareCount;
        break;
    case 'C':
        delete m_payload.C;
        break;
    case 'D':
        delete m_payload.D;
        break;
    default:
        break;
    }
    m_tag = 0;
}

std::int32_t CBase::Int() const noexcept
{
    switch (m_tag) {
    case 'N': {
        // Truncation to 64 bits, keeping the low 32. Whatever has no 64-bit value (too large,
        // infinite, NaN) gives 0.
        constexpr long double limit = 9223372036854775808.0L; // 2^63
        const long double x = m_payload.N;
        if (!(x >= -limit && x < limit))
            return 0;
        const auto wide = static_cast<std::uint64_t>(static_cast<std::int64_t>(x));
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
    }
    case 'n':
        return m_payload.n;
    case 'L':
        return m_payload.L;
    default:
        CBaseError("Invalid Object type CBase::Int()");
    }
}

std::string CBase::String() const
{
    switch (m_tag) {
    case 'C':
        return *m_payload.C;
    case 'c':
        return std::string(1, m_payload.c);
    default:
        CBaseError("Invalid Object type CBase::String");
    }
}
